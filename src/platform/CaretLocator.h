#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QRect>

#include <optional>

// The text caret of the application the user works in, as assistive technology reports it, in the display's
// top-left pixel coordinates.
class CaretLocator : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether the desktop's accessibility service can be asked at all.
    virtual bool isTrusted() const = 0;
    // The caret of the focused text; nothing when there is none or no answer came before the deadline. Never waits
    // past the deadline.
    virtual std::optional<QRect> caretRect(QDeadlineTimer deadline) = 0;

    // The caret from the extents of the character at the caret, else of the one before it (the caret then stands
    // at that character's right edge, zero wide). Extents at x 0 inside a text whose own frame starts further
    // right are taken as relative to the text. Nothing without usable extents.
    static std::optional<QRect> caretFromCharacterExtents(const std::optional<QRect> &atCaret,
        const std::optional<QRect> &beforeCaret, const std::optional<QRect> &textFrame);
};

// A caret the test sets; it can also answer late, like a peer that is slow or never answers.
class MemoryCaretLocator final : public CaretLocator
{
    Q_OBJECT

public:
    using CaretLocator::CaretLocator;

    bool isTrusted() const override { return trusted; }
    std::optional<QRect> caretRect(QDeadlineTimer deadline) override;

    bool trusted = true;
    std::optional<QRect> caret;
    // How long the answer takes; past the deadline it never arrives (the wait ends at the deadline).
    int answerDelayMs = 0;
    int queries = 0;
};
