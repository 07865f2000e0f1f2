#include "feed/ContentDecoding.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

enum class Wrapping { Gzip, Zlib, Raw };

// `text` repeated `repeats` times, compressed by zlib without holding the whole.
std::string compressed(Wrapping wrapping, const std::string& text, size_t repeats = 1) {
    const int windowBits =
        wrapping == Wrapping::Gzip ? MAX_WBITS + 16 : wrapping == Wrapping::Zlib ? MAX_WBITS : -MAX_WBITS;
    z_stream stream = {};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out;
    char buffer[16384];
    for (size_t i = 0; i < repeats; ++i) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        stream.avail_in = static_cast<uInt>(text.size());
        const int flush = i + 1 == repeats ? Z_FINISH : Z_NO_FLUSH;
        int status = Z_OK;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            status = deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    }
    deflateEnd(&stream);
    return out;
}

struct Decoded {
    bool accepted = true;  // every piece
    bool finished = false;
    size_t piecesTaken = 0;
    std::string body;
};

Decoded decodeInPieces(ContentCoding coding, const std::string& bytes, size_t pieceSize, size_t limit) {
    BodyDecoder decoder(coding, limit);
    Decoded result;
    for (size_t at = 0; at < bytes.size() && result.accepted; at += pieceSize) {
        ++result.piecesTaken;
        result.accepted = decoder.decode(std::string_view(bytes).substr(at, pieceSize), result.body);
    }
    result.finished = decoder.finished();
    return result;
}

TEST(ContentDecoding, ContentEncodingValuesNameACoding) {
    const struct {
        std::wstring value;
        ContentCoding coding;
    } cases[] = {
        {L"", ContentCoding::Identity},
        {L"identity", ContentCoding::Identity},
        {L"gzip", ContentCoding::Gzip},
        {L" GZip\t", ContentCoding::Gzip},
        {L"x-gzip", ContentCoding::Gzip},
        {L"deflate", ContentCoding::Deflate},
        {L"identity, deflate", ContentCoding::Deflate},
        {L"gzip,", ContentCoding::Gzip},
        {L"br", ContentCoding::Unsupported},
        {L"compress", ContentCoding::Unsupported},
        {L"gzip, gzip", ContentCoding::Unsupported},
        {L"deflate, gzip", ContentCoding::Unsupported},
        {L"gzipx", ContentCoding::Unsupported},
        {L"gz", ContentCoding::Unsupported},
        {L"\u0130dentity", ContentCoding::Unsupported},  // not lowered to "identity"
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ContentCodingOf(c.value), c.coding) << std::string(c.value.begin(), c.value.end());
    }
}

TEST(ContentDecoding, EveryCodingDecodesWhateverThePieces) {
    std::string text = "<rss version=\"2.0\"><channel><title>\xe6\x97\xa5</title>";
    for (int i = 0; i < 3000; ++i) text += "<item><title>" + std::to_string(i * 7919) + "</title></item>";
    text += std::string("\0\xff</channel></rss>", 18);
    const struct {
        const char* name;
        ContentCoding coding;
        std::string bytes;
    } cases[] = {
        {"identity", ContentCoding::Identity, text},
        {"gzip", ContentCoding::Gzip, compressed(Wrapping::Gzip, text)},
        {"zlib-wrapped deflate", ContentCoding::Deflate, compressed(Wrapping::Zlib, text)},
        {"raw deflate", ContentCoding::Deflate, compressed(Wrapping::Raw, text)},
        {"bytes after the end of the stream", ContentCoding::Gzip, compressed(Wrapping::Gzip, text) + "\n\0junk"},
    };
    for (const auto& c : cases) {
        for (size_t pieceSize : {size_t{1}, size_t{2}, size_t{1000}, c.bytes.size()}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(pieceSize));
            const Decoded decoded = decodeInPieces(c.coding, c.bytes, pieceSize, text.size());
            EXPECT_TRUE(decoded.accepted);
            EXPECT_TRUE(decoded.finished);
            EXPECT_TRUE(decoded.body == text);
        }
    }
}

TEST(ContentDecoding, BrokenOrOversizedBodiesFail) {
    const std::string text(5000, 'x');
    const std::string gzip = compressed(Wrapping::Gzip, text);
    std::string corrupted = compressed(Wrapping::Raw, text);
    corrupted[0] = '\xff';
    const struct {
        const char* name;
        ContentCoding coding;
        std::string bytes;
        size_t limit;
        bool usable;  // every piece taken and the stream finished
    } cases[] = {
        {"truncated gzip", ContentCoding::Gzip, gzip.substr(0, gzip.size() - 4), text.size(), false},
        {"truncated deflate", ContentCoding::Deflate, compressed(Wrapping::Zlib, text).substr(0, 8), text.size(),
         false},
        {"one byte of deflate", ContentCoding::Deflate, "x", text.size(), false},
        {"no bytes at all", ContentCoding::Gzip, "", text.size(), true},
        {"plain text called gzip", ContentCoding::Gzip, text, text.size(), false},
        {"plain text called deflate", ContentCoding::Deflate, "<?xml version=\"1.0\"?>", text.size(), false},
        {"gzip called deflate", ContentCoding::Deflate, gzip, text.size(), false},
        {"corrupted deflate", ContentCoding::Deflate, corrupted, text.size(), false},
        {"gzip with a bad checksum", ContentCoding::Gzip,
         gzip.substr(0, gzip.size() - 8) + std::string(4, '\0') + gzip.substr(gzip.size() - 4), text.size(), false},
        {"gzip just past the limit", ContentCoding::Gzip, gzip, text.size() - 1, false},
        {"gzip just at the limit", ContentCoding::Gzip, gzip, text.size(), true},
        {"identity past the limit", ContentCoding::Identity, text, text.size() - 1, false},
        {"unsupported", ContentCoding::Unsupported, text, text.size(), false},
    };
    for (const auto& c : cases) {
        for (size_t pieceSize : {size_t{1}, size_t{100}, c.bytes.size() + 1}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(pieceSize));
            const Decoded decoded = decodeInPieces(c.coding, c.bytes, pieceSize, c.limit);
            EXPECT_EQ(decoded.accepted && decoded.finished, c.usable);
            EXPECT_LE(decoded.body.size(), c.limit + 1);
        }
    }
}

TEST(ContentDecoding, ABombFailsAtThePieceThatCrossesTheLimit) {
    // 64 MiB of zeros in about 64 KiB; 1 KiB of it already decodes to about 1 MiB.
    const std::string bomb = compressed(Wrapping::Gzip, std::string(64 * 1024, '\0'), 1024);
    constexpr size_t kLimit = 1024 * 1024;
    const Decoded decoded = decodeInPieces(ContentCoding::Gzip, bomb, 1024, kLimit);
    EXPECT_FALSE(decoded.accepted);
    EXPECT_LE(decoded.piecesTaken, 2u);
    EXPECT_EQ(decoded.body.size(), kLimit + 1);
}

}  // namespace
