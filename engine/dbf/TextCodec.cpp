#include "engine/dbf/TextCodec.h"

#include "base/AsciiCase.h"
#include "base/Endian.h"
#include "base/Utf8.h"
#include "engine/EngineError.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace engine::dbf {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One byte to one character through a table; the inverse table serves writing.
class SingleByteCodec final : public TextCodec {
public:
    explicit SingleByteCodec(const std::array<char32_t, 256>& characters) {
        m_asciiIdentity = true;
        for (std::size_t b = 0; b < 256; ++b) {
            std::string utf8;
            base::utf8::append(utf8, characters[b]);
            m_decoded[b].length = static_cast<std::uint8_t>(utf8.size());
            for (std::size_t i = 0; i < utf8.size(); ++i) m_decoded[b].bytes[i] = utf8[i];
            m_encoded.emplace(characters[b], static_cast<std::uint8_t>(b));
            if (b < 0x80 && characters[b] != b) m_asciiIdentity = false;
        }
    }

    void decode(const std::uint8_t* bytes, std::size_t size, std::string& out) const override {
        // Most text is plain ASCII, which a code page that keeps ASCII leaves as it is: that part
        // is found eight bytes at a time and copied whole.
        std::size_t ascii = 0;
        if (m_asciiIdentity) {
            while (ascii + 8 <= size) {
                std::uint64_t word;
                std::memcpy(&word, bytes + ascii, sizeof word);
                if ((word & 0x8080808080808080u) != 0) break;
                ascii += 8;
            }
            while (ascii < size && bytes[ascii] < 0x80) ++ascii;
            out.append(reinterpret_cast<const char*>(bytes), ascii);
            if (ascii == size) return;
        }
        std::size_t start = out.size();
        out.resize(start + (size - ascii) * 3);
        char* p = out.data() + start;
        for (std::size_t i = ascii; i < size; ++i) {
            std::uint8_t b = bytes[i];
            if (b < 0x80 && m_asciiIdentity) {
                *p++ = static_cast<char>(b);
                continue;
            }
            const Decoded& d = m_decoded[b];
            for (std::uint8_t k = 0; k < d.length; ++k) *p++ = d.bytes[k];
        }
        out.resize(static_cast<std::size_t>(p - out.data()));
    }

    bool encode(std::string_view utf8, std::string& out, char32_t& unencodable) const override {
        std::size_t pos = 0;
        while (pos < utf8.size()) {
            auto b = static_cast<unsigned char>(utf8[pos]);
            if (b < 0x80 && m_asciiIdentity) {
                out.push_back(static_cast<char>(b));
                ++pos;
                continue;
            }
            char32_t character = 0;
            if (!base::utf8::next(utf8, pos, character)) {
                unencodable = kReplacement;
                return false;
            }
            auto found = m_encoded.find(character);
            if (found == m_encoded.end()) {
                unencodable = character;
                return false;
            }
            out.push_back(static_cast<char>(found->second));
        }
        return true;
    }

private:
    struct Decoded {
        std::uint8_t length = 0;
        char bytes[4] = {};
    };
    std::array<Decoded, 256> m_decoded{};
    std::unordered_map<char32_t, std::uint8_t> m_encoded;
    bool m_asciiIdentity = true;
};

class Utf8Codec final : public TextCodec {
public:
    void decode(const std::uint8_t* bytes, std::size_t size, std::string& out) const override {
        std::string_view text(reinterpret_cast<const char*>(bytes), size);
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t start = pos;
            char32_t character = 0;
            if (base::utf8::next(text, pos, character)) {
                out.append(text.data() + start, pos - start);
            } else {
                base::utf8::append(out, kReplacement);
            }
        }
    }

    bool encode(std::string_view utf8, std::string& out, char32_t& unencodable) const override {
        std::size_t pos = 0;
        while (pos < utf8.size()) {
            char32_t character = 0;
            if (!base::utf8::next(utf8, pos, character)) {
                unencodable = kReplacement;
                return false;
            }
        }
        out.append(utf8);
        return true;
    }
};

// Multi-byte code pages through iconv, one handle per direction, kept open.
class IconvCodec final : public TextCodec {
public:
    explicit IconvCodec(const std::string& converter) {
        m_decoder = iconv_open("UTF-8", converter.c_str());
        m_encoder = iconv_open(converter.c_str(), "UTF-8");
        if (m_decoder == kInvalid || m_encoder == kInvalid) {
            close();
            throw EngineError("The code page " + converter + " cannot be converted here.");
        }
    }
    ~IconvCodec() override { close(); }
    IconvCodec(const IconvCodec&) = delete;
    IconvCodec& operator=(const IconvCodec&) = delete;

    void decode(const std::uint8_t* bytes, std::size_t size, std::string& out) const override {
        std::lock_guard lock(m_mutex);
        iconv(m_decoder, nullptr, nullptr, nullptr, nullptr);
        auto* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
        std::size_t inLeft = size;
        while (inLeft > 0) {
            std::size_t start = out.size();
            out.resize(start + inLeft * 4 + 8);
            char* outPtr = out.data() + start;
            std::size_t outLeft = out.size() - start;
            std::size_t result = iconv(m_decoder, &in, &inLeft, &outPtr, &outLeft);
            out.resize(static_cast<std::size_t>(outPtr - out.data()));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                // An undecodable byte or a sequence cut short by the field's end.
                base::utf8::append(out, kReplacement);
                ++in;
                --inLeft;
                iconv(m_decoder, nullptr, nullptr, nullptr, nullptr);
            }
        }
    }

    bool encode(std::string_view utf8, std::string& out, char32_t& unencodable) const override {
        std::lock_guard lock(m_mutex);
        iconv(m_encoder, nullptr, nullptr, nullptr, nullptr);
        auto* in = const_cast<char*>(utf8.data());
        std::size_t inLeft = utf8.size();
        while (inLeft > 0) {
            std::size_t start = out.size();
            out.resize(start + inLeft * 4 + 8);
            char* outPtr = out.data() + start;
            std::size_t outLeft = out.size() - start;
            std::size_t result = iconv(m_encoder, &in, &inLeft, &outPtr, &outLeft);
            out.resize(static_cast<std::size_t>(outPtr - out.data()));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                std::size_t pos = static_cast<std::size_t>(in - utf8.data());
                if (!base::utf8::next(utf8, pos, unencodable)) unencodable = kReplacement;
                return false;
            }
        }
        // Flush a shift state, if the encoding has one.
        char tail[16];
        char* tailPtr = tail;
        std::size_t tailLeft = sizeof tail;
        iconv(m_encoder, nullptr, nullptr, &tailPtr, &tailLeft);
        out.append(tail, static_cast<std::size_t>(tailPtr - tail));
        return true;
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
    void close() {
        if (m_decoder != kInvalid) iconv_close(m_decoder);
        if (m_encoder != kInvalid) iconv_close(m_encoder);
        m_decoder = m_encoder = kInvalid;
    }
    mutable std::mutex m_mutex;
    iconv_t m_decoder = kInvalid;
    iconv_t m_encoder = kInvalid;
};

// Decodes each byte alone; nullopt when the encoding needs more than one byte per character.
std::optional<std::array<char32_t, 256>> singleByteTable(const std::string& converter) {
    iconv_t cd = iconv_open("UTF-32LE", converter.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw EngineError("The code page " + converter + " cannot be converted here.");
    }
    std::array<char32_t, 256> characters{};
    std::array<bool, 256> defined{};
    bool single = true;
    for (std::size_t b = 0; b < 256 && single; ++b) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char input = static_cast<char>(b);
        char* in = &input;
        std::size_t inLeft = 1;
        std::array<unsigned char, 16> output{};
        char* out = reinterpret_cast<char*>(output.data());
        std::size_t outLeft = output.size();
        std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        std::size_t produced = output.size() - outLeft;
        if (result == static_cast<std::size_t>(-1)) {
            if (errno == EINVAL) single = false;  // a lead byte of a longer sequence
            continue;                             // EILSEQ: the byte is undefined
        }
        if (produced != 4) {
            single = produced == 0 ? single : false;
            continue;
        }
        characters[b] = base::loadLittle<std::uint32_t>(output.data());
        defined[b] = true;
    }
    iconv_close(cd);
    if (!single) return {};
    // Undefined bytes take the code point of the same number, unless a defined byte already
    // decodes to it; then a private-use point keeps the mapping reversible.
    std::unordered_map<char32_t, bool> used;
    for (std::size_t b = 0; b < 256; ++b) {
        if (defined[b]) used[characters[b]] = true;
    }
    for (std::size_t b = 0; b < 256; ++b) {
        if (defined[b]) continue;
        auto same = static_cast<char32_t>(b);
        characters[b] = used.count(same) != 0 ? static_cast<char32_t>(0xF700 + b) : same;
    }
    return characters;
}

}  // namespace

std::shared_ptr<const TextCodec> TextCodec::get(const std::string& converter) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const TextCodec>> codecs;
    std::lock_guard lock(mutex);
    auto found = codecs.find(converter);
    if (found != codecs.end()) return found->second;
    std::shared_ptr<const TextCodec> codec;
    if (base::equalsIgnoringCase(converter, "UTF-8") ||
        base::equalsIgnoringCase(converter, "UTF8")) {
        codec = std::make_shared<Utf8Codec>();
    } else if (auto table = singleByteTable(converter)) {
        codec = std::make_shared<SingleByteCodec>(*table);
    } else {
        codec = std::make_shared<IconvCodec>(converter);
    }
    codecs.emplace(converter, codec);
    return codec;
}

std::string describeCharacter(char32_t character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(character));
    std::string out = buffer;
    if (character >= 0x20 && character != 0x7F && !(character >= 0x80 && character < 0xA0)) {
        out += " \"";
        base::utf8::append(out, character);
        out += "\"";
    }
    return out;
}

}  // namespace engine::dbf
