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

// Importing a CHIRP CSV file: the fixed text, then the first reason. Each
// reason names the line (and the column) it is about.
inline constexpr char16_t kCsvRefused[] = u"CSV 文件无法导入：";
inline constexpr char16_t kCsvEmpty[] = u"第 1 行：文件是空的，没有表头";
inline constexpr char16_t kCsvTooLarge[] = u"第 1 行：文件大于 1 MiB，不是信道表";
inline constexpr char16_t kCsvNoHeader[] = u"第 %1 行：文件只有注释，没有表头";
inline constexpr char16_t kCsvSemicolons[] = u"第 %1 行：值以“;”分隔，CSV 文件须以“,”分隔";
inline constexpr char16_t kCsvNoColumn[] = u"第 %1 行：表头没有 %2 列";
inline constexpr char16_t kCsvColumnTwice[] = u"第 %1 行：表头有两个 %2 列";
inline constexpr char16_t kCsvOpenQuote[] = u"第 %1 行：引号没有结束";
inline constexpr char16_t kCsvTooFewValues[] = u"第 %1 行：只有 %2 个值，表头有 %3 列";
inline constexpr char16_t kCsvTooManyValues[] =
    u"第 %1 行：有 %2 个值，表头只有 %3 列（小数点写成了逗号？）";
inline constexpr char16_t kCsvCommaDecimal[] = u"第 %1 行 %2 列：“%3”以逗号作小数点，须写作“%4”";
inline constexpr char16_t kCsvNotLocation[] = u"第 %1 行 Location 列：“%2”不是信道号";
inline constexpr char16_t kCsvLocationRange[] = u"第 %1 行 Location 列：信道 %2 不在 1–16 之内";
inline constexpr char16_t kCsvLocationTwice[] = u"第 %1 行 Location 列：信道 %2 已在第 %3 行给出";
inline constexpr char16_t kCsvNotFrequency[] = u"第 %1 行 %2 列：“%3”不是频率";
inline constexpr char16_t kCsvOutOfRange[] = u"第 %1 行 %2 列：%3 MHz 不在 130–500 MHz 之内";
inline constexpr char16_t kCsvTransmitOutOfRange[] =
    u"第 %1 行 %2 列：发送频率 %3 MHz 不在 130–500 MHz 之内";
inline constexpr char16_t kCsvBadDuplex[] = u"第 %1 行 Duplex 列：“%2”不是空、+、-、split 或 off";
inline constexpr char16_t kCsvBadSquelch[] = u"第 %1 行：静噪级别“%2”不是 0–9";
inline constexpr char16_t kCsvSquelchTwice[] = u"第 %1 行：静噪级别已在第 %2 行给出";
inline constexpr char16_t kCsvNegativeOffset[] = u"第 %1 行 Offset 列：“%2”：Offset 不能为负数";

// A list the radio cannot hold as it stands, taken as far as it fits when the
// user agrees; the detail names each row left out.
inline constexpr char16_t kCsvFitQuestion[] =
    u"CSV 文件中的信道不能全部写入对讲机（信道号不在 1–16 之内、多于 16 个信道或频率超出 130–500 "
    u"MHz）。是否按信道号顺序导入对讲机能用的前 16 个信道？";
inline constexpr char16_t kCsvFitTitle[] = u"系统信息";
inline constexpr char16_t kCsvNoFrequency[] = u"第 %1 行 Frequency 列：没有频率";
inline constexpr char16_t kCsvBeyondSixteen[] =
    u"第 %1 行 Location 列：信道 %2 排在对讲机能用的前 16 个信道之后";

}  // namespace qm3270::file_messages
