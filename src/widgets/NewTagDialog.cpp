#include "NewTagDialog.h"

#include "ColorText.h"
#include "Localization.h"
#include "SettingsLook.h"
#include "TextUtilities.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRgba64>
#include <QVBoxLayout>

#include <iterator>

namespace {

QFont dialogFont()
{
    QFont font;
    font.setPixelSize(13);
    return font;
}

// The palette's components in hundredths, as the palette is defined. QColor keeps 16-bit channels, so distances
// computed from its floating-point components round differently per colour and can break an exact tie.
constexpr int paletteHundredths[9][3] = {{23, 52, 93}, {8, 64, 86}, {52, 84, 4}, {13, 76, 39}, {96, 70, 5},
    {100, 45, 10}, {93, 15, 15}, {91, 25, 58}, {60, 29, 91}};

// The squared distance of a palette colour to a colour in 16-bit channels, in units of 1/6553500 per component
// (hundredths times 65535): whole numbers, so equal distances compare equal.
qint64 paletteDistance(int index, const QRgba64 &color)
{
    const qint64 channels[3] = {color.red(), color.green(), color.blue()};
    qint64 sum = 0;
    for (int c = 0; c < 3; ++c) {
        const qint64 difference = qint64(paletteHundredths[index][c]) * 65535 - channels[c] * 100;
        sum += difference * difference;
    }
    return sum;
}

} // namespace

TagColorButton::TagColorButton(QColor color, QWidget *parent) : QAbstractButton(parent), m_color(std::move(color))
{
    setFixedSize(28, 28);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void TagColorButton::setSelected(bool selected)
{
    if (m_isSelected == selected)
        return;
    m_isSelected = selected;
    update();
}

void TagColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    if (m_isSelected) {
        painter.setPen(QPen(SettingsColors::separator(palette()), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(bounds.adjusted(2, 2, -2, -2));
    }
    const qreal inset = m_isSelected ? 7 : 5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(bounds.adjusted(inset, inset, -inset, -inset));
}

const std::array<QColor, 9> &NewTagDialog::tagColors()
{
    static const std::array<QColor, 9> colors = [] {
        std::array<QColor, 9> palette;
        for (std::size_t index = 0; index < palette.size(); ++index) {
            const int *hundredths = paletteHundredths[index];
            palette[index] = QColor::fromRgbF(hundredths[0] / 100.0f, hundredths[1] / 100.0f, hundredths[2] / 100.0f);
        }
        return palette;
    }();
    return colors;
}

int NewTagDialog::nearestTagColorIndex(const QColor &color)
{
    const QRgba64 rgb = color.toRgb().rgba64();
    int best = 0;
    qint64 bestDistance = paletteDistance(0, rgb);
    for (int index = 1; index < int(std::size(paletteHundredths)); ++index) {
        const qint64 distance = paletteDistance(index, rgb);
        if (distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    return best;
}

NewTagDialog::NewTagDialog(const std::optional<Tag> &existingTag, QWidget *parent)
    : QWidget(parent), m_existingTag(existingTag)
{
    if (m_existingTag) {
        if (const auto color = colorFromHexString(m_existingTag->color); color && color->isValid())
            m_selectedColorIndex = nearestTagColorIndex(*color);
    }
    setFixedSize(contentSize);
    setFont(dialogFont());

    auto *group = new SettingsGroupView(this);
    group->setFixedHeight(86);
    auto *nameRow = new QWidget(group);
    nameRow->setFixedHeight(38);
    auto *nameLabel = new QLabel(localized(QStringLiteral("Tag name")), nameRow);
    m_inputField = new BorderlessSettingsTextField(nameRow);
    m_inputField->setPlaceholderText(localized(QStringLiteral("Tag name")));
    m_inputField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_inputField->setFixedHeight(24);
    if (m_existingTag)
        m_inputField->setText(m_existingTag->name);
    auto *nameLine = new QHBoxLayout(nameRow);
    nameLine->setContentsMargins(16, 0, 16, 0);
    nameLine->addWidget(nameLabel, 1);
    nameLine->addWidget(m_inputField, 1);

    auto *divider = new SettingsGroupDividerView(group);
    auto *colorRow = new QWidget(group);
    auto *colorLabel = new QLabel(localized(QStringLiteral("Tag color")), colorRow);
    auto *swatches = new QHBoxLayout;
    swatches->setSpacing(0);
    for (int index = 0; index < int(tagColors().size()); ++index) {
        auto *swatch = new TagColorButton(tagColors().at(index), colorRow);
        swatch->setSelected(index == m_selectedColorIndex);
        swatch->setAccessibleName(localized(QStringLiteral("Tag color")) + QStringLiteral(" %1").arg(index + 1));
        connect(swatch, &QAbstractButton::clicked, this, [this, index] { selectColor(index); });
        m_colorButtons.append(swatch);
        swatches->addWidget(swatch);
    }
    auto *colorLine = new QHBoxLayout(colorRow);
    colorLine->setContentsMargins(16, 0, 8, 0);
    colorLine->addWidget(colorLabel);
    colorLine->addSpacing(20);
    colorLine->addStretch(1);
    colorLine->addLayout(swatches);

    auto *groupColumn = new QVBoxLayout(group);
    groupColumn->setContentsMargins(0, 0, 0, 0);
    groupColumn->setSpacing(0);
    groupColumn->addWidget(nameRow);
    auto *dividerLine = new QHBoxLayout;
    dividerLine->setContentsMargins(14, 0, 14, 0);
    dividerLine->addWidget(divider);
    groupColumn->addLayout(dividerLine);
    groupColumn->addWidget(colorRow, 1);

    m_errorLabel = new QLabel(this);
    m_errorLabel->setWordWrap(true);
    QFont small = dialogFont();
    small.setPixelSize(11);
    m_errorLabel->setFont(small);
    m_errorLabel->setStyleSheet(QStringLiteral("color: rgb(229, 72, 77);"));
    m_errorLabel->hide();

    m_cancelButton = new QPushButton(localized(QStringLiteral("Cancel")), this);
    m_cancelButton->setAutoDefault(false);
    m_createButton = new QPushButton(
        m_existingTag ? localized(QStringLiteral("Save")) : localized(QStringLiteral("Create")), this);
    m_createButton->setDefault(true);
    connect(m_cancelButton, &QPushButton::clicked, this, &NewTagDialog::cancel);
    connect(m_createButton, &QPushButton::clicked, this, &NewTagDialog::createTag);
    connect(m_inputField, &QLineEdit::returnPressed, this, &NewTagDialog::createTag);
    connect(m_inputField, &QLineEdit::textChanged, this, [this] {
        m_errorLabel->hide();
        refreshCreateButton();
    });

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addWidget(m_errorLabel, 2);
    buttons->addStretch(1); // keeps the buttons at the end while there is no message
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_createButton);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 14);
    column->setSpacing(16);
    column->addWidget(group);
    column->addLayout(buttons);
    refreshCreateButton();
}

void NewTagDialog::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_inputField->setFocus();
}

void NewTagDialog::refreshCreateButton()
{
    m_createButton->setEnabled(!TextUtilities::isBlank(m_inputField->text()));
}

void NewTagDialog::selectColor(int index)
{
    if (index < 0 || index >= m_colorButtons.size())
        return;
    m_selectedColorIndex = index;
    for (int i = 0; i < m_colorButtons.size(); ++i)
        m_colorButtons.at(i)->setSelected(i == index);
}

void NewTagDialog::createTag()
{
    const QString name = TextUtilities::trimmedWhitespaceAndNewlines(m_inputField->text());
    if (name.isEmpty())
        return;
    if (onCreate)
        onCreate(name, tagColors().at(m_selectedColorIndex));
}

void NewTagDialog::cancel()
{
    if (onCancel)
        onCancel();
}

void NewTagDialog::showError(const QString &message)
{
    m_errorLabel->setText(message);
    m_errorLabel->show();
}

TagDialogSheet &TagDialogSheet::shared()
{
    static TagDialogSheet sheet;
    return sheet;
}

void TagDialogSheet::presentTagDialog(QWidget *parent, const std::optional<Tag> &tag, SaveHandler onSave)
{
    auto *sheet = new QDialog(parent ? parent->window() : nullptr);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    // A small fixed-size dialog: a title and a close button, no minimise or maximise.
    sheet->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    sheet->setWindowIcon(QIcon(QStringLiteral(":/icons/varnisto.svg")));
    sheet->setWindowTitle(tag ? localized(QStringLiteral("Edit Tag")) : localized(QStringLiteral("New Tag")));
    auto *dialog = new NewTagDialog(tag, sheet);
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(dialog);
    sheet->setFixedSize(NewTagDialog::contentSize);

    QPointer<QDialog> weakSheet(sheet);
    dialog->onCancel = [weakSheet] {
        if (weakSheet)
            weakSheet->reject();
    };
    dialog->onCreate = [weakSheet, dialog, onSave](const QString &name, const QColor &color) {
        const std::optional<QString> refusal = onSave ? onSave(name, color) : std::nullopt;
        if (!weakSheet)
            return;
        if (refusal)
            dialog->showError(*refusal);
        else
            weakSheet->accept();
    };
    sheet->open();
}
