// SPDX-License-Identifier: MIT
#include "WriteFailure.h"

#include <system_error>

#include "AtomicFile.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orbelle::maker {

namespace {

// Whether the process may write the file or folder (false where the file
// system is mounted read-only too).
bool writable(const std::filesystem::path &path)
{
#ifdef _WIN32
    return ::_waccess(path.c_str(), 2) == 0;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

} // namespace

std::string writeFailureReason(const std::filesystem::path &written)
{
    // A link another user planted could aim the save at any of the user's
    // files, so it is not followed.
    if (leadsThroughForeignLink(written))
        return "他のユーザーが作ったリンクには保存しません";
    // Judged where the write ends, past any link.
    const std::filesystem::path file = writeLandsAt(written);
    std::error_code ec;
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    if (!std::filesystem::is_directory(folder, ec))
        return "保存先のフォルダーがありません";
    if (std::filesystem::is_directory(file, ec))
        return "同じ名前のフォルダーがあります";
    const bool exists = std::filesystem::exists(file, ec);
    if (exists && !writable(file))
        return "ファイルが読み取り専用です";
    if (!writable(folder))
        return "フォルダーが読み取り専用です";
    const std::filesystem::space_info space = std::filesystem::space(folder, ec);
    if (!ec && space.available < 64 * 1024)
        return "ディスクの空きがありません";
    return "書き込みに失敗しました";
}

} // namespace orbelle::maker
