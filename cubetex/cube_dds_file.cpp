#include "cube_dds_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "com.h"

namespace {

// The DDS file's layout (little-endian, as the format defines it).
struct DdsPixelFormat {
    uint32_t size, flags, fourCC, rgbBitCount, rMask, gMask, bMask, aMask;
};
struct DdsHeader {
    uint32_t size, flags, height, width, pitchOrLinearSize, depth, mipMapCount;
    uint32_t reserved1[11];
    DdsPixelFormat pixelFormat;
    uint32_t caps, caps2, caps3, caps4, reserved2;
};
static_assert(sizeof(DdsPixelFormat) == 32 && sizeof(DdsHeader) == 124, "DDS header sizes");

constexpr uint32_t kDdsMagic = 0x20534444; // "DDS "
constexpr uint32_t kFlagsCaps = 0x1, kFlagsHeight = 0x2, kFlagsWidth = 0x4, kFlagsPitch = 0x8,
                   kFlagsPixelFormat = 0x1000, kFlagsMipMapCount = 0x20000;
constexpr uint32_t kPixelAlpha = 0x1, kPixelFourCC = 0x4, kPixelRgb = 0x40;
constexpr uint32_t kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipMap = 0x400000;
constexpr uint32_t kCaps2AllCubeFaces = 0x200 | 0x400 | 0x800 | 0x1000 | 0x2000 | 0x4000 | 0x8000;

struct FormatLayout {
    D3DFORMAT format;
    uint32_t bytesPerPixel;
    DdsPixelFormat pixelFormat; // size filled in later
    bool eightBitChannels;      // four 8-bit channels: lower levels can be box-filtered here
};

// Render-target formats a cube texture is made in. Formats with masks are written as RGB data;
// the others by their D3DFORMAT number as FourCC, as DDS readers expect for them.
constexpr FormatLayout kLayouts[] = {
    {D3DFMT_A8R8G8B8, 4, {0, kPixelRgb | kPixelAlpha, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, true},
    {D3DFMT_X8R8G8B8, 4, {0, kPixelRgb, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0}, true},
    {D3DFMT_A8B8G8R8, 4, {0, kPixelRgb | kPixelAlpha, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}, true},
    {D3DFMT_X8B8G8R8, 4, {0, kPixelRgb, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0}, true},
    {D3DFMT_R5G6B5, 2, {0, kPixelRgb, 0, 16, 0xF800, 0x7E0, 0x1F, 0}, false},
    {D3DFMT_X1R5G5B5, 2, {0, kPixelRgb, 0, 16, 0x7C00, 0x3E0, 0x1F, 0}, false},
    {D3DFMT_A1R5G5B5, 2, {0, kPixelRgb | kPixelAlpha, 0, 16, 0x7C00, 0x3E0, 0x1F, 0x8000}, false},
    {D3DFMT_A2R10G10B10, 4, {0, kPixelRgb | kPixelAlpha, 0, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, false},
    {D3DFMT_A2B10G10R10, 4, {0, kPixelRgb | kPixelAlpha, 0, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000}, false},
    {D3DFMT_G16R16, 4, {0, kPixelRgb, 0, 32, 0xFFFF, 0xFFFF0000, 0, 0}, false},
    {D3DFMT_A16B16G16R16, 8, {0, kPixelFourCC, D3DFMT_A16B16G16R16, 0, 0, 0, 0, 0}, false},
    {D3DFMT_R16F, 2, {0, kPixelFourCC, D3DFMT_R16F, 0, 0, 0, 0, 0}, false},
    {D3DFMT_G16R16F, 4, {0, kPixelFourCC, D3DFMT_G16R16F, 0, 0, 0, 0, 0}, false},
    {D3DFMT_A16B16G16R16F, 8, {0, kPixelFourCC, D3DFMT_A16B16G16R16F, 0, 0, 0, 0, 0}, false},
    {D3DFMT_R32F, 4, {0, kPixelFourCC, D3DFMT_R32F, 0, 0, 0, 0, 0}, false},
    {D3DFMT_G32R32F, 8, {0, kPixelFourCC, D3DFMT_G32R32F, 0, 0, 0, 0, 0}, false},
    {D3DFMT_A32B32G32R32F, 16, {0, kPixelFourCC, D3DFMT_A32B32G32R32F, 0, 0, 0, 0, 0}, false},
};

const FormatLayout* LayoutOf(D3DFORMAT format)
{
    for (const FormatLayout& layout : kLayouts)
        if (layout.format == format)
            return &layout;
    return nullptr;
}

// One level of one face, rows packed tightly.
struct Level {
    uint32_t width, height;
    std::vector<uint8_t> bytes;
};

// Rows of one face level copied per step: a strip of at most this many bytes. The level is
// copied strip by strip through a small render target, so the read-back never needs a system-memory
// copy of the whole level; a 32-bit host has little room, and a driver short of memory for a large
// copy may fail in ways it does not report.
constexpr uint32_t kStripBytes = 4u << 20;

// Packs `rows` rows of a locked surface into `out`, from row `firstRow` on.
bool PackRows(IDirect3DSurface9* surface, uint32_t rowBytes, uint32_t firstRow, uint32_t rows, Level& out)
{
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return false;
    const bool readable = locked.pBits && static_cast<uint32_t>(locked.Pitch) >= rowBytes;
    for (uint32_t y = 0; readable && y < rows; ++y)
        std::memcpy(out.bytes.data() + static_cast<size_t>(firstRow + y) * rowBytes,
                    static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch, rowBytes);
    surface->UnlockRect();
    return readable;
}

// Copies level `level` of a face into system memory and packs its rows.
bool ReadFaceLevel(IDirect3DDevice9* device, IDirect3DCubeTexture9* texture, D3DCUBEMAP_FACES face, UINT level,
                   const FormatLayout& layout, Level& out)
{
    Com<IDirect3DSurface9> surface;
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetCubeMapSurface(face, level, surface.put())) || FAILED(surface->GetDesc(&desc)))
        return false;
    const uint32_t rowBytes = desc.Width * layout.bytesPerPixel;
    out.width = desc.Width;
    out.height = desc.Height;
    out.bytes.resize(static_cast<size_t>(rowBytes) * desc.Height);
    if (desc.Pool != D3DPOOL_DEFAULT)
        return PackRows(surface.ptr(), rowBytes, 0, desc.Height, out);

    const uint32_t stripRows = std::clamp<uint32_t>(kStripBytes / std::max(rowBytes, 1u), 1u, desc.Height);
    Com<IDirect3DSurface9> strip, copy;
    if (FAILED(device->CreateRenderTarget(desc.Width, stripRows, desc.Format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                          strip.put(), nullptr)) ||
        FAILED(device->CreateOffscreenPlainSurface(desc.Width, stripRows, desc.Format, D3DPOOL_SYSTEMMEM, copy.put(),
                                                   nullptr)))
        return false;
    for (uint32_t top = 0; top < desc.Height; top += stripRows) {
        const uint32_t rows = std::min(stripRows, desc.Height - top);
        const RECT from{0, static_cast<LONG>(top), static_cast<LONG>(desc.Width), static_cast<LONG>(top + rows)};
        const RECT to{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(rows)};
        if (FAILED(device->StretchRect(surface.ptr(), &from, strip.ptr(), &to, D3DTEXF_NONE)) ||
            FAILED(device->GetRenderTargetData(strip.ptr(), copy.ptr())) ||
            !PackRows(copy.ptr(), rowBytes, top, rows, out))
            return false;
    }
    return true;
}

// The next level down of a level with four 8-bit channels: each texel the mean of a 2 x 2 block,
// as the device's linear filter makes a generated chain.
Level HalfLevel(const Level& above)
{
    Level out{std::max(1u, above.width / 2), std::max(1u, above.height / 2), {}};
    out.bytes.resize(static_cast<size_t>(out.width) * out.height * 4);
    for (uint32_t y = 0; y < out.height; ++y)
        for (uint32_t x = 0; x < out.width; ++x)
            for (uint32_t c = 0; c < 4; ++c) {
                uint32_t sum = 0;
                for (uint32_t dy = 0; dy < 2; ++dy)
                    for (uint32_t dx = 0; dx < 2; ++dx) {
                        const uint32_t sx = std::min(x * 2 + dx, above.width - 1);
                        const uint32_t sy = std::min(y * 2 + dy, above.height - 1);
                        sum += above.bytes[(static_cast<size_t>(sy) * above.width + sx) * 4 + c];
                    }
                out.bytes[(static_cast<size_t>(y) * out.width + x) * 4 + c] = static_cast<uint8_t>((sum + 2) / 4);
            }
    return out;
}

uint32_t FullChainLength(uint32_t size)
{
    uint32_t levels = 1;
    while (size > 1) {
        size /= 2;
        ++levels;
    }
    return levels;
}

// Faces are copied to system memory one level at a time; a texture whose face copy would be larger
// than this is not read back at all (a 4096 x 4096 face of 32-bit texels is 64 MiB). A 32-bit host
// has no room for bigger copies, and asking the device for one can bring the process down.
constexpr uint64_t kMaxLevelBytes = 64ull << 20;

// Writes every level of every face, in file order, each read back (or, for a generated chain,
// derived from the level above) just before it is written.
bool WriteFaces(std::FILE* file, IDirect3DDevice9* device, IDirect3DCubeTexture9* texture, const FormatLayout& layout,
                uint32_t levelCount)
{
    const UINT deviceLevels = texture->GetLevelCount();
    for (int face = 0; face < 6; ++face) {
        Level level;
        for (uint32_t index = 0; index < levelCount; ++index) {
            if (index < deviceLevels) {
                if (!ReadFaceLevel(device, texture, static_cast<D3DCUBEMAP_FACES>(face), index, layout, level))
                    return false;
            } else {
                // A generated chain shows only its top level to readers: the lower ones are made
                // here from it, the way the device derives them.
                level = HalfLevel(level);
            }
            if (std::fwrite(level.bytes.data(), 1, level.bytes.size(), file) != level.bytes.size())
                return false;
        }
    }
    return true;
}

} // namespace

bool WriteCubeDds(IDirect3DDevice9* device, IDirect3DCubeTexture9* texture, const char* fileName)
{
    if (!device || !texture || !fileName)
        return false;
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(0, &desc)))
        return false;
    const FormatLayout* layout = LayoutOf(desc.Format);
    if (!layout || static_cast<uint64_t>(desc.Width) * desc.Height * layout->bytesPerPixel > kMaxLevelBytes)
        return false;
    uint32_t levelCount = texture->GetLevelCount();
    if ((desc.Usage & D3DUSAGE_AUTOGENMIPMAP) && layout->eightBitChannels)
        levelCount = FullChainLength(std::max(desc.Width, desc.Height));

    DdsHeader header{};
    header.size = sizeof(DdsHeader);
    header.flags = kFlagsCaps | kFlagsHeight | kFlagsWidth | kFlagsPitch | kFlagsPixelFormat |
                   (levelCount > 1 ? kFlagsMipMapCount : 0);
    header.height = desc.Height;
    header.width = desc.Width;
    header.pitchOrLinearSize = desc.Width * layout->bytesPerPixel;
    header.mipMapCount = levelCount;
    header.pixelFormat = layout->pixelFormat;
    header.pixelFormat.size = sizeof(DdsPixelFormat);
    header.caps = kCapsTexture | kCapsComplex | (levelCount > 1 ? kCapsMipMap : 0);
    header.caps2 = kCaps2AllCubeFaces;

    std::FILE* file = std::fopen(fileName, "wb");
    if (!file)
        return false;
    bool written = std::fwrite(&kDdsMagic, 4, 1, file) == 1 && std::fwrite(&header, sizeof header, 1, file) == 1;
    try {
        written = written && WriteFaces(file, device, texture, *layout, levelCount);
    } catch (const std::bad_alloc&) {
        // Caught here rather than at the boundary: the file is closed and what was written removed.
        written = false;
    }
    written = std::fclose(file) == 0 && written;
    if (!written)
        std::remove(fileName); // a file cut short is no DDS file: nothing is left behind
    return written;
}
