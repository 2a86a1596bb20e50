#pragma once

// The number texts of the goto dialog and how its two fields follow each other.

#include <QString>
#include <QStringView>

#include <cstdint>

namespace search {

// Spaces are skipped anywhere; an empty text (or spaces only) is 0. Any other
// character, or a value too large for a signed 64-bit offset, gives -1.
int64_t ParseHexAddress(QStringView text);
int64_t ParseDecAddress(QStringView text);

// Digits only, no leading zeros, upper-case hex; "0" for a negative value.
QString HexAddressText(int64_t value);
QString DecAddressText(int64_t value);

// An address the dialog accepts: within 0 .. maxAddress.
constexpr bool AddressAcceptable(int64_t value, int64_t maxAddress)
{
    return value >= 0 && value <= maxAddress;
}

// What an edit of one field makes of the dialog: whether OK is enabled, and the
// text to write into the other field.
struct AddressFollow {
    bool acceptable = false;
    QString other;
};
AddressFollow FollowHexAddress(QStringView hexText, int64_t maxAddress);
AddressFollow FollowDecAddress(QStringView decText, int64_t maxAddress);

// Judges the kept texts again (for a new maxAddress): both fields must hold an
// acceptable value, since a rejected field leaves "0" in the other one.
bool KeptAddressAcceptable(QStringView hexText, QStringView decText, int64_t maxAddress);

} // namespace search
