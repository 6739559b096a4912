// The edited bytes: a growable memory block whose positional operations leave Position alone.
#pragma once

#include <cstdint>
#include <vector>

class THexMemoryStream {
public:
    int32_t Size() const { return static_cast<int32_t>(m_bytes.size()); }
    void SetSize(int64_t size);
    int32_t Position = 0;

    void CheckBounds(int64_t pos) const;
    uint8_t* GetAddress(int64_t pos, int64_t count);
    const uint8_t* GetAddress(int64_t pos, int64_t count) const;
    void ReadBufferAt(void* buffer, int64_t pos, int64_t count) const;
    void WriteBufferAt(const void* buffer, int64_t pos, int64_t count);
    // Overlapping move inside the block; both ranges must lie inside it.
    void MoveData(int64_t from, int64_t to, int64_t count);

    std::vector<uint8_t>& bytes() { return m_bytes; }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};
