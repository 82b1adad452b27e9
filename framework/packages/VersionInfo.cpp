#include "framework/packages/VersionInfo.hpp"

#include "framework/base/ByteOrder.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/packages/Resources.hpp"

namespace rtl {

namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint32_t kFixedSize = 52;  // thirteen 32-bit words
constexpr uint32_t kFileTypeLibrary = 2;

void Align4(std::vector<uint8_t>& Out) {
    while (Out.size() % 4 != 0) Out.push_back(0);
}

// One node of the block: length, value length, type (1 text, 0 binary), UTF-16 key,
// padding, value, padding, children. The length is patched once the children are in.
class TNode {
public:
    TNode(std::vector<uint8_t>& Out, const std::string& sKey, uint32_t ValueLength, bool bText)
        : FOut(Out), FStart(Out.size()) {
        PutU16(Out, 0);
        PutU16(Out, ValueLength);
        PutU16(Out, bText ? 1 : 0);
        const auto key = ToUtf16Z(sKey);
        Out.insert(Out.end(), key.begin(), key.end());
        Align4(Out);
    }
    ~TNode() {
        const size_t length = FOut.size() - FStart;
        FOut[FStart] = static_cast<uint8_t>(length & 0xFF);
        FOut[FStart + 1] = static_cast<uint8_t>(length >> 8);
        Align4(FOut);
    }

private:
    std::vector<uint8_t>& FOut;
    size_t FStart;
};

uint32_t High(const TVersionNumber& v) { return uint32_t{v.Major} << 16 | v.Minor; }
uint32_t Low(const TVersionNumber& v) { return uint32_t{v.Release} << 16 | v.Build; }

}  // namespace

std::string TVersionNumber::Text() const {
    return std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Release) + "." +
           std::to_string(Build);
}

std::vector<uint8_t> BuildVersionInfo(const TVersionInfo& Info) {
    std::vector<uint8_t> out;
    {
        TNode root(out, "VS_VERSION_INFO", kFixedSize, false);
        for (uint32_t word : {kFixedSignature, 0x00010000u, High(Info.FileVersion), Low(Info.FileVersion),
                              High(Info.ProductVersion), Low(Info.ProductVersion), 0x3Fu, 0u, 0u,
                              kFileTypeLibrary, 0u, 0u, 0u})
            PutU32(out, word);
        {
            TNode stringFileInfo(out, "StringFileInfo", 0, true);
            TNode table(out, "040904B0", 0, true);  // US English, Unicode
            for (const auto& [key, value] : Info.Strings) {
                const auto text = ToUtf16Z(value);
                TNode entry(out, key, static_cast<uint32_t>(text.size() / 2), true);
                out.insert(out.end(), text.begin(), text.end());
            }
        }
        {
            TNode varFileInfo(out, "VarFileInfo", 0, true);
            TNode translation(out, "Translation", 4, false);
            PutU32(out, 0x04B00409);
        }
    }
    return out;
}

TVersionInfo ReadVersionInfo(std::span<const uint8_t> Block) {
    // Header (6 bytes) and the key "VS_VERSION_INFO" with its zero, padded: 40 bytes.
    constexpr size_t kFixedAt = 40;
    if (Block.size() < kFixedAt + kFixedSize) throw EPackageError("Version information block is truncated");
    if (GetU16(Block, 2) != kFixedSize || FromUtf16Z(Block.subspan(6, kFixedAt - 6)) != "VS_VERSION_INFO" ||
        GetU32(Block, kFixedAt) != kFixedSignature)
        throw EPackageError("Not a version information block");
    auto number = [&](size_t at) {
        const uint32_t high = GetU32(Block, at), low = GetU32(Block, at + 4);
        return TVersionNumber{static_cast<uint16_t>(high >> 16), static_cast<uint16_t>(high),
                              static_cast<uint16_t>(low >> 16), static_cast<uint16_t>(low)};
    };
    return {number(kFixedAt + 8), number(kFixedAt + 16), {}};
}

}  // namespace rtl
