#pragma once

// The channel file's fixed user texts.
namespace qm3270::file_messages {

inline constexpr char16_t kCannotOpen[] = u"文件无法打开！";
inline constexpr char16_t kBadFormat[] = u"文件格式错误，未读入数据！";
// Followed by a line with the system's reason.
inline constexpr char16_t kSaveFailed[] = u"文件保存失败！";
// Followed by the backup's path; the system's reason goes into the detail.
inline constexpr char16_t kBackupFailed[] = u"备份无法保存，操作已取消：";
inline constexpr char16_t kErrorTitle[] = u"错误警告 ";

}  // namespace qm3270::file_messages
