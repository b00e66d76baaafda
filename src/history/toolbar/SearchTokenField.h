#pragma once

#include "HistoryDelegate.h"
#include "SearchToken.h"

#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class SearchTokenField;

// What the field's Tab, Return and Escape ask of its owner.
enum class SearchTokenFieldCommand { cancel, accept };

// The owner of a search token field (the history toolbar).
class SearchTokenFieldDelegate
{
public:
    virtual ~SearchTokenFieldDelegate() = default;
    // After every change of the text; the owner reads it from the text field.
    virtual void searchTokenFieldDidChangeText(SearchTokenField &field) = 0;
    // The user deleted a chip; the field has already taken it out.
    virtual void searchTokenFieldDidRemoveToken(SearchTokenField &field, const SearchToken &token) = 0;
    // Up or Down while typing or with a chip selected.
    virtual void searchTokenFieldMoveSelection(SearchTokenField &field, HistorySelectionDirection direction) = 0;
    // Accept (Tab, Return) or cancel (Escape): true when the owner consumed the key.
    virtual bool searchTokenFieldPerform(SearchTokenField &field, SearchTokenFieldCommand command) = 0;
};

// One chip: the token's picture and title on a rounded fill, accented while selected.
class SearchTokenChipView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int height = 26;
    static constexpr int maximumTitleWidth = 120;

    explicit SearchTokenChipView(SearchToken token, QWidget *parent = nullptr);

    const SearchToken &token() const { return m_token; }
    bool isSelected() const { return m_isSelected; }
    void setSelected(bool selected);
    // 30 plus the title's width with a picture, 12 plus it without; the title counts at most 120.
    int naturalWidth() const;
    QSize sizeHint() const override { return QSize(naturalWidth(), height); }

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    SearchToken m_token;
    bool m_isSelected = false;
};

// The text part of the field, which tells the field when it is clicked.
class SearchTokenTextField final : public QLineEdit
{
    Q_OBJECT

public:
    explicit SearchTokenTextField(QWidget *parent = nullptr);
    std::function<void()> onMouseDown;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// The chip widths in a field of the width: their natural widths when they fit (or when there is no room at all),
// else shared fairly, narrowest first, none below 44.
QList<int> searchTokenChipWidths(const QList<int> &naturalWidths, int fieldWidth);

// The history window's search field: the active search tokens as chips, left to right, then the text. Backspace
// or Left at the start of the text selects the last chip; Delete removes a selected chip, Left and Right move
// between chips and back to the text, and typing returns to the text. Up, Down, Tab, Return and Escape go to the
// owner. The field never changes filters itself: its owner sets the tokens.
class SearchTokenField final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int chipSpacing = 4;
    static constexpr int textMinimumWidth = 30;

    explicit SearchTokenField(QWidget *parent = nullptr);
    ~SearchTokenField() override;

    void setDelegate(SearchTokenFieldDelegate *delegate) { m_delegate = delegate; }
    // Called whenever the chips changed, so the owner can size the field again.
    std::function<void()> onTokensWidthChange;

    const QList<SearchToken> &tokens() const { return m_tokens; }
    // Replaces the tokens unless they are equal to the present ones; tells nobody.
    void setTokens(const QList<SearchToken> &tokens);
    // Shown while there are no tokens.
    void setPlaceholderText(const QString &text);
    SearchTokenTextField &textField() const { return *m_textField; }
    const QList<SearchTokenChipView *> &chipViews() const { return m_chipViews; }
    std::optional<int> selectedChipIndex() const { return m_selectedChipIndex; }

    // Type-to-search: the key typed elsewhere goes to the end of the text.
    void insertKeyEvent(const QKeyEvent &event);
    bool isEditing() const { return m_textField->hasFocus(); }

    void selectChip(int index);
    void deselectChip();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuildChips();
    void layOutChildren();
    void removeToken(int index);
    void applyPlaceholder();
    // The text field's keys: true when the field consumed the key.
    bool handleTextKey(QKeyEvent &event);

    SearchTokenFieldDelegate *m_delegate = nullptr;
    SearchTokenTextField *m_textField = nullptr;
    QList<SearchTokenChipView *> m_chipViews;
    QList<SearchToken> m_tokens;
    std::optional<int> m_selectedChipIndex;
    QString m_placeholder;
};
