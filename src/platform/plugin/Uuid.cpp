#include "platform/plugin/Uuid.h"

#include <algorithm>

namespace pf {

Uuid::Uuid(const PFUUIDBytes& bytes)
{
    std::copy(std::begin(bytes.bytes), std::end(bytes.bytes), bytes_.begin());
}

std::optional<Uuid> Uuid::fromString(const QString& text)
{
    static constexpr int hyphens[] = {8, 13, 18, 23};
    if (text.size() != 36)
        return std::nullopt;
    Uuid uuid;
    int byte = 0;
    for (int i = 0; i < 36;) {
        if (std::find(std::begin(hyphens), std::end(hyphens), i) != std::end(hyphens)) {
            if (text[i] != QLatin1Char('-'))
                return std::nullopt;
            ++i;
            continue;
        }
        bool ok = false;
        const uint value = text.mid(i, 2).toUInt(&ok, 16);
        // toUInt accepts signs and spaces; a UUID has hexadecimal digits only.
        if (!ok || !text[i].isLetterOrNumber() || !text[i + 1].isLetterOrNumber())
            return std::nullopt;
        uuid.bytes_[byte++] = static_cast<std::uint8_t>(value);
        i += 2;
    }
    return uuid;
}

PFUUIDBytes Uuid::bytes() const
{
    PFUUIDBytes result;
    std::copy(bytes_.begin(), bytes_.end(), std::begin(result.bytes));
    return result;
}

QString Uuid::toString() const
{
    QString text;
    text.reserve(36);
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += QLatin1Char('-');
        text += QLatin1Char(digits[bytes_[i] >> 4]);
        text += QLatin1Char(digits[bytes_[i] & 0xF]);
    }
    return text;
}

} // namespace pf
