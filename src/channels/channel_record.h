#pragma once

#include <QString>

#include <array>
#include <optional>

namespace qm3270 {

// One field of a channel row: a text, or Null when the database holds no value.
// Null and the empty text are different things and are never mixed.
using Field = std::optional<QString>;

enum Column : int {
    kChannelNumber = 0,  // 信道号
    kReceive = 1,        // 接收频率, MHz
    kTransmit = 2,       // 发送频率, MHz
    kBeat = 3,           // 拍频, only "on" means on
};
inline constexpr int kColumnCount = 4;
inline constexpr int kChannelCount = 16;

struct ChannelRecord {
    std::array<Field, kColumnCount> fields;

    Field& operator[](int column) { return fields.at(static_cast<std::size_t>(column)); }
    const Field& operator[](int column) const {
        return fields.at(static_cast<std::size_t>(column));
    }
    bool operator==(const ChannelRecord&) const = default;
};

// The 16 rows of the channel table, row k (0-based) holding channel k + 1.
using ChannelTable = std::array<ChannelRecord, kChannelCount>;

}  // namespace qm3270
