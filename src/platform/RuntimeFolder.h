#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace kelvo {

// The user's runtime folder as the session names it (XDG_RUNTIME_DIR), when it is usable: a
// folder (a link to one counts, as the toolkit follows it) owned by this user, with mode exactly
// 0700. Empty when it is unset or anything else: the toolkit would then make a folder of its own
// in the temporary folder.
QString usableRuntimeFolder();

// `path` is an absolute path of a folder owned by this user that only this user may enter: mode
// exactly 0700.
bool isPrivateFolderOfUser(const QString &path);

// The room rule for unpacking into the runtime folder. That folder is memory (tmpfs) shared by
// the whole session (its bus, sound server, sockets): a package there holds memory while it runs,
// and a full one breaks other programs. So the package goes there only with room to spare: twice
// its unpacked size plus 64 MiB (for what the run and the session write besides) must fit into
// half of what is free, so that the session keeps at least half of its free room.
bool runtimeFolderHasRoom(quint64 unpackedBytes, quint64 freeBytes);

// Where a run makes its run folder for a package that unpacks to `unpackedBytes()`: the user's
// runtime folder (usableRuntimeFolder()) when it has room by the rule above, which is faster to
// write and more private; otherwise, and when the size is not known (no package), the temporary
// folder (RunFolder::temporaryFolder()). The size, which takes reading the package's list of
// files, is asked only where a usable runtime folder could take it.
QString runFolderParent(const std::function<std::optional<quint64>()> &unpackedBytes);

} // namespace kelvo
