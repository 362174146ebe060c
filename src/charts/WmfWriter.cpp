#include "WmfWriter.h"

#include <algorithm>
#include <stdexcept>

namespace evidor {

namespace {

constexpr std::uint16_t kSetBkColor = 0x0201;
constexpr std::uint16_t kSetBkMode = 0x0102;
constexpr std::uint16_t kSetMapMode = 0x0103;
constexpr std::uint16_t kSetPolyFillMode = 0x0106;
constexpr std::uint16_t kSetTextColor = 0x0209;
constexpr std::uint16_t kSetWindowOrg = 0x020B;
constexpr std::uint16_t kSetWindowExt = 0x020C;
constexpr std::uint16_t kSetTextAlign = 0x012E;
constexpr std::uint16_t kSaveDC = 0x001E;
constexpr std::uint16_t kRestoreDC = 0x0127;
constexpr std::uint16_t kIntersectClipRect = 0x0416;
constexpr std::uint16_t kMoveTo = 0x0214;
constexpr std::uint16_t kLineTo = 0x0213;
constexpr std::uint16_t kRectangle = 0x041B;
constexpr std::uint16_t kRoundRect = 0x061C;
constexpr std::uint16_t kEllipse = 0x0418;
constexpr std::uint16_t kPolygon = 0x0324;
constexpr std::uint16_t kPolyline = 0x0325;
constexpr std::uint16_t kTextOut = 0x0521;
constexpr std::uint16_t kExtTextOut = 0x0A32;
constexpr std::uint16_t kSelectObject = 0x012D;
constexpr std::uint16_t kDeleteObject = 0x01F0;
constexpr std::uint16_t kCreatePen = 0x02FA;
constexpr std::uint16_t kCreateBrush = 0x02FC;
constexpr std::uint16_t kCreateFont = 0x02FB;
constexpr std::uint16_t kStretchDib = 0x0F43;
constexpr std::uint16_t kEof = 0x0000;
constexpr std::uint32_t kSrcCopy = 0x00CC0020;

constexpr int kMapModeAnisotropic = 8;
constexpr std::uint8_t kEastEuropeCharset = 238;
constexpr std::uint8_t kVariableSwiss = 0x22;

std::int16_t clamp16(int v)
{
    return static_cast<std::int16_t>(std::clamp(v, -32767, 32767));
}

void putWord(std::string& out, std::uint16_t w)
{
    out += static_cast<char>(w & 0xFF);
    out += static_cast<char>(w >> 8);
}

void putDword(std::string& out, std::uint32_t d)
{
    putWord(out, static_cast<std::uint16_t>(d & 0xFFFF));
    putWord(out, static_cast<std::uint16_t>(d >> 16));
}

void putColor(std::string& out, WmfColor c)
{
    out += static_cast<char>(c.r);
    out += static_cast<char>(c.g);
    out += static_cast<char>(c.b);
    out += '\0';
}

// Byte strings inside records are padded to a whole word.
void putPaddedBytes(std::string& out, std::string_view bytes)
{
    out.append(bytes);
    if (bytes.size() % 2 != 0)
        out += '\0';
}

std::vector<std::int16_t> points16(const std::vector<WmfPoint>& points)
{
    std::vector<std::int16_t> p;
    p.reserve(points.size() * 2 + 1);
    p.push_back(clamp16(static_cast<int>(points.size())));
    for (const auto& pt : points) {
        p.push_back(clamp16(pt.x));
        p.push_back(clamp16(pt.y));
    }
    return p;
}

} // namespace

WmfWriter::WmfWriter(int width, int height, int unitsPerInch)
    : m_width(std::clamp(width, 1, 32767)), m_height(std::clamp(height, 1, 32767)),
      m_unitsPerInch(std::clamp(unitsPerInch, 1, 65535))
{
    record(kSetMapMode, {kMapModeAnisotropic});
    record(kSetWindowOrg, {0, 0});
    record(kSetWindowExt, {clamp16(m_height), clamp16(m_width)});
}

void WmfWriter::record(std::uint16_t function, const std::vector<std::int16_t>& params, std::string_view tail)
{
    if (m_finished)
        throw std::logic_error("metafile already finished");
    std::string body;
    for (auto p : params)
        putWord(body, static_cast<std::uint16_t>(p));
    body.append(tail);
    const auto words = static_cast<std::uint32_t>(3 + body.size() / 2);
    putDword(m_records, words);
    putWord(m_records, function);
    m_records += body;
    m_largestRecord = std::max(m_largestRecord, words);
}

int WmfWriter::allocateSlot()
{
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (!m_slots[i]) {
            m_slots[i] = true;
            return static_cast<int>(i);
        }
    }
    m_slots.push_back(true);
    return static_cast<int>(m_slots.size() - 1);
}

int WmfWriter::liveObjects() const
{
    return static_cast<int>(std::count(m_slots.begin(), m_slots.end(), true));
}

int WmfWriter::createPen(PenStyle style, int width, WmfColor color)
{
    std::string tail;
    putWord(tail, static_cast<std::uint16_t>(style));
    putWord(tail, static_cast<std::uint16_t>(clamp16(std::max(width, 0))));
    putWord(tail, 0);
    putColor(tail, color);
    record(kCreatePen, {}, tail);
    return allocateSlot();
}

int WmfWriter::createBrush(BrushStyle style, WmfColor color, std::uint16_t hatch)
{
    std::string tail;
    putWord(tail, static_cast<std::uint16_t>(style));
    putColor(tail, color);
    putWord(tail, hatch);
    record(kCreateBrush, {}, tail);
    return allocateSlot();
}

int WmfWriter::createFont(const WmfFont& font)
{
    std::string tail;
    putWord(tail, static_cast<std::uint16_t>(clamp16(font.height)));
    putWord(tail, 0); // width: the font's own
    putWord(tail, static_cast<std::uint16_t>(clamp16(font.escapement)));
    putWord(tail, static_cast<std::uint16_t>(clamp16(font.escapement))); // orientation
    putWord(tail, static_cast<std::uint16_t>(clamp16(font.weight)));
    tail += static_cast<char>(font.italic ? 1 : 0);
    tail += static_cast<char>(font.underline ? 1 : 0);
    tail += static_cast<char>(font.strikeout ? 1 : 0);
    tail += static_cast<char>(kEastEuropeCharset);
    tail += '\0'; // out precision: default
    tail += '\0'; // clip precision: default
    tail += '\0'; // quality: default
    tail += static_cast<char>(kVariableSwiss);
    std::string face = font.faceName.substr(0, 31);
    face.resize(32, '\0');
    tail += face;
    record(kCreateFont, {}, tail);
    return allocateSlot();
}

void WmfWriter::selectObject(int index)
{
    record(kSelectObject, {clamp16(index)});
}

void WmfWriter::deleteObject(int index)
{
    record(kDeleteObject, {clamp16(index)});
    if (index >= 0 && static_cast<std::size_t>(index) < m_slots.size())
        m_slots[static_cast<std::size_t>(index)] = false;
}

void WmfWriter::setBkMode(bool transparent)
{
    record(kSetBkMode, {static_cast<std::int16_t>(transparent ? 1 : 2)});
}

void WmfWriter::setBkColor(WmfColor color)
{
    std::string tail;
    putColor(tail, color);
    record(kSetBkColor, {}, tail);
}

void WmfWriter::setTextColor(WmfColor color)
{
    std::string tail;
    putColor(tail, color);
    record(kSetTextColor, {}, tail);
}

void WmfWriter::setTextAlign(std::uint16_t flags)
{
    record(kSetTextAlign, {static_cast<std::int16_t>(flags)});
}

void WmfWriter::setPolyFillMode(FillMode mode)
{
    record(kSetPolyFillMode, {static_cast<std::int16_t>(mode)});
}

void WmfWriter::saveDC()
{
    record(kSaveDC, {});
}

void WmfWriter::restoreDC(int saved)
{
    record(kRestoreDC, {clamp16(saved)});
}

void WmfWriter::intersectClipRect(int left, int top, int right, int bottom)
{
    record(kIntersectClipRect, {clamp16(bottom), clamp16(right), clamp16(top), clamp16(left)});
}

void WmfWriter::moveTo(int x, int y)
{
    record(kMoveTo, {clamp16(y), clamp16(x)});
}

void WmfWriter::lineTo(int x, int y)
{
    record(kLineTo, {clamp16(y), clamp16(x)});
}

void WmfWriter::rectangle(int left, int top, int right, int bottom)
{
    record(kRectangle, {clamp16(bottom), clamp16(right), clamp16(top), clamp16(left)});
}

void WmfWriter::roundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    record(kRoundRect, {clamp16(cornerHeight), clamp16(cornerWidth), clamp16(bottom), clamp16(right),
                        clamp16(top), clamp16(left)});
}

void WmfWriter::ellipse(int left, int top, int right, int bottom)
{
    record(kEllipse, {clamp16(bottom), clamp16(right), clamp16(top), clamp16(left)});
}

void WmfWriter::polygon(const std::vector<WmfPoint>& points)
{
    if (points.size() < 2)
        return;
    record(kPolygon, points16(points));
}

void WmfWriter::polyline(const std::vector<WmfPoint>& points)
{
    if (points.size() < 2)
        return;
    record(kPolyline, points16(points));
}

void WmfWriter::textOut(int x, int y, std::string_view bytes)
{
    if (bytes.empty())
        return;
    bytes = bytes.substr(0, 32767);
    std::string tail;
    putWord(tail, static_cast<std::uint16_t>(bytes.size()));
    putPaddedBytes(tail, bytes);
    putWord(tail, static_cast<std::uint16_t>(clamp16(y)));
    putWord(tail, static_cast<std::uint16_t>(clamp16(x)));
    record(kTextOut, {}, tail);
}

void WmfWriter::extTextOut(int x, int y, std::string_view bytes, const std::vector<int>& dx)
{
    if (bytes.empty())
        return;
    bytes = bytes.substr(0, 32767);
    std::string tail;
    putWord(tail, static_cast<std::uint16_t>(clamp16(y)));
    putWord(tail, static_cast<std::uint16_t>(clamp16(x)));
    putWord(tail, static_cast<std::uint16_t>(bytes.size()));
    putWord(tail, 0); // options: no rectangle
    putPaddedBytes(tail, bytes);
    if (!dx.empty()) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            putWord(tail, static_cast<std::uint16_t>(clamp16(i < dx.size() ? dx[i] : 0)));
    }
    record(kExtTextOut, {}, tail);
}

void WmfWriter::stretchDib(int left, int top, int width, int height, int srcWidth, int srcHeight,
                           std::string_view rows)
{
    const std::size_t stride = (static_cast<std::size_t>(std::max(srcWidth, 0)) * 3 + 3) / 4 * 4;
    if (srcWidth <= 0 || srcHeight <= 0 || rows.size() != stride * static_cast<std::size_t>(srcHeight))
        throw std::invalid_argument("bitmap rows do not match the bitmap's size");
    std::string tail;
    putDword(tail, kSrcCopy);
    putWord(tail, 0); // colours are RGB values
    putWord(tail, static_cast<std::uint16_t>(clamp16(srcHeight)));
    putWord(tail, static_cast<std::uint16_t>(clamp16(srcWidth)));
    putWord(tail, 0);
    putWord(tail, 0);
    putWord(tail, static_cast<std::uint16_t>(clamp16(height)));
    putWord(tail, static_cast<std::uint16_t>(clamp16(width)));
    putWord(tail, static_cast<std::uint16_t>(clamp16(top)));
    putWord(tail, static_cast<std::uint16_t>(clamp16(left)));
    // BITMAPINFOHEADER of an uncompressed 24-bit bitmap.
    putDword(tail, 40);
    putDword(tail, static_cast<std::uint32_t>(srcWidth));
    putDword(tail, static_cast<std::uint32_t>(srcHeight));
    putWord(tail, 1);
    putWord(tail, 24);
    putDword(tail, 0);
    putDword(tail, static_cast<std::uint32_t>(rows.size()));
    putDword(tail, 0);
    putDword(tail, 0);
    putDword(tail, 0);
    putDword(tail, 0);
    tail.append(rows);
    record(kStretchDib, {}, tail);
}

std::string WmfWriter::finish()
{
    record(kEof, {});
    m_finished = true;

    std::string out;
    // Placeable prefix: key, handle, bounding box, units per inch, reserved, checksum.
    std::string placeable;
    putDword(placeable, 0x9AC6CDD7u);
    putWord(placeable, 0);
    putWord(placeable, 0);
    putWord(placeable, 0);
    putWord(placeable, static_cast<std::uint16_t>(m_width));
    putWord(placeable, static_cast<std::uint16_t>(m_height));
    putWord(placeable, static_cast<std::uint16_t>(m_unitsPerInch));
    putDword(placeable, 0);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < placeable.size(); i += 2)
        checksum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(placeable[i]) |
                                               static_cast<unsigned char>(placeable[i + 1]) << 8);
    putWord(placeable, checksum);
    out += placeable;

    constexpr std::uint32_t headerWords = 9;
    putWord(out, 1); // type: memory metafile, as placeable files carry it
    putWord(out, headerWords);
    putWord(out, 0x0300); // version
    putDword(out, static_cast<std::uint32_t>(headerWords + m_records.size() / 2));
    putWord(out, static_cast<std::uint16_t>(m_slots.size()));
    putDword(out, m_largestRecord);
    putWord(out, 0);
    out += m_records;
    return out;
}

} // namespace evidor
