#include "SharedText.h"

QString sharedPart(const QString &text, qsizetype position, qsizetype length)
{
    Q_ASSERT(position >= 0 && length >= 0 && position + length <= text.size());
    if (position == 0 && length == text.size())
        return text;
    if (!text.data_ptr().isMutable())
        return text.sliced(position, length);
    // A copy of the string's data pointer holds one more reference to the buffer; it is then narrowed to the part.
    QString::DataPointer part = text.data_ptr();
    part.setBegin(part.data() + position);
    part.size = length;
    return QString(std::move(part));
}
