#pragma once

#include "HistoryToolbar.h"

#include <QWidget>

class QLineEdit;

// The toolbar until the full one exists: a search field across the top of the window. It keeps the state and
// filters it is given; it has no action items, tokens or suggestions to show them with.
class PlainHistoryToolbar final : public QWidget, public HistoryToolbar
{
    Q_OBJECT

public:
    explicit PlainHistoryToolbar(QWidget *parent = nullptr);

    QWidget &widget() override { return *this; }
    void setDelegate(HistoryToolbarDelegate *delegate) override { m_delegate = delegate; }
    void relabel() override;
    const HistoryToolbarState &state() const override { return m_state; }
    void setState(const HistoryToolbarState &state) override { m_state = state; }
    bool showsFilterTokens() const override { return false; }
    const HistoryToolbarFilters &filters() const override { return m_filters; }
    void setFilters(const HistoryToolbarFilters &filters) override { m_filters = filters; }
    QString searchText() const override;
    void setSearchText(const QString &text) override;
    bool hasSearchTokens() const override { return false; }
    bool hasSelectedSearchText() const override;
    bool isSearchFieldFocused() const override;
    void focusSearchField() override;
    void clearSearch() override;
    void insertKeyEvent(const QKeyEvent &event) override;
    bool handleKeyDown(const HistoryKeyEvent &) override { return false; }
    void showCopySuccess() override { }
    void updateAppearanceColors() override;

    QLineEdit &searchField() const { return *m_searchField; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    HistoryToolbarDelegate *m_delegate = nullptr;
    QLineEdit *m_searchField = nullptr;
    HistoryToolbarState m_state;
    HistoryToolbarFilters m_filters;
};
