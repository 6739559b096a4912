#include "HexMemoryStream.h"

#include "HexCoreTypes.h"

#include <cstring>
#include <limits>

void THexMemoryStream::SetSize(int64_t size) {
    if (size < 0 || size > std::numeric_limits<int32_t>::max()) throw EHexEditor(hexmsg::OutOfBounds);
    m_bytes.resize(static_cast<size_t>(size));
    if (Position > size) Position = static_cast<int32_t>(size);
}

void THexMemoryStream::CheckBounds(int64_t pos) const {
    if (pos < 0 || pos > Size()) throw EHexEditor(hexmsg::OutOfBounds);
}

uint8_t* THexMemoryStream::GetAddress(int64_t pos, int64_t count) {
    if (pos < 0 || count < 0 || pos + count > Size()) throw EHexEditor(hexmsg::OutOfBounds);
    return m_bytes.data() + pos;
}

const uint8_t* THexMemoryStream::GetAddress(int64_t pos, int64_t count) const {
    if (pos < 0 || count < 0 || pos + count > Size()) throw EHexEditor(hexmsg::OutOfBounds);
    return m_bytes.data() + pos;
}

void THexMemoryStream::ReadBufferAt(void* buffer, int64_t pos, int64_t count) const {
    if (count < 0) throw EHexEditor(hexmsg::OutOfBounds);
    CheckBounds(pos);
    CheckBounds(pos + count);
    if (count) std::memcpy(buffer, m_bytes.data() + pos, static_cast<size_t>(count));
}

void THexMemoryStream::WriteBufferAt(const void* buffer, int64_t pos, int64_t count) {
    if (count < 0) throw EHexEditor(hexmsg::OutOfBounds);
    CheckBounds(pos);
    CheckBounds(pos + count);
    if (count) std::memcpy(m_bytes.data() + pos, buffer, static_cast<size_t>(count));
}

void THexMemoryStream::MoveData(int64_t from, int64_t to, int64_t count) {
    if (count <= 0) return;
    if (from < 0 || to < 0 || from + count > Size() || to + count > Size())
        throw EHexEditor(hexmsg::OutOfBounds);
    std::memmove(m_bytes.data() + to, m_bytes.data() + from, static_cast<size_t>(count));
}
