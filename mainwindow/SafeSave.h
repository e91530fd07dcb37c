// Saving that never destroys the previous file: the new contents go to a
// temporary file beside the target, which replaces the target only once
// everything was written and closed. A failed or interrupted save leaves the
// old file as it was and no temporary file behind.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace ravx {

// Calls write with a stream on the temporary file, then puts the file in
// place of path. A symbolic link is saved through: the file it points to is
// replaced (the temporary file beside it) and the link stays. Throws
// FileError with the message the window shows.
void SaveReplacing(const std::string& path, const std::function<void(std::ostream&)>& write);

}  // namespace ravx
