#pragma once

// The banner's temporary files: a fresh, unguessable name for every download, and
// the clean-up of files that an interrupted run left behind.

#include <QString>

#include <cstdint>
#include <memory>

class QFile;

namespace banner {

// Every temporary file of ours begins with this, and no other file we may delete.
inline constexpr char TempPrefix[] = "byteloom-banner-";
// A file of ours this old belongs to no running download.
inline constexpr std::int64_t StaleAfterSeconds = 24 * 60 * 60;

// Where downloads go: the user's own runtime folder when there is one, else the
// temporary folder; with a trailing separator.
QString TempFolder();

// A new file in folder, open for reading and writing, readable by the user alone,
// under a random name that begins with the prefix. Created exclusively: an existing
// file or link of that name is never opened. Null when no file could be made.
std::unique_ptr<QFile> CreateTempFile(const QString& folder);

// Deletes the files of ours in folder last changed more than a day before now
// (seconds since the epoch): regular files of this user with the prefix. A link is
// removed by no one here and never followed.
void RemoveStaleTempFiles(const QString& folder, std::int64_t now);

} // namespace banner
