#pragma once
// Undoes a response's Content-Encoding while its body arrives, so that the body cap counts
// decoded bytes and a small compressed body cannot grow past it.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

enum class ContentCoding { Identity, Gzip, Deflate, Unsupported };

// The coding a Content-Encoding value names. No value and "identity" are Identity, "gzip"
// and "x-gzip" Gzip, "deflate" Deflate, without regard to case; anything else, a list of
// several codings included, is Unsupported.
ContentCoding ContentCodingOf(std::wstring_view contentEncoding);

class InflateStream;

class BodyDecoder {
public:
    // `coding` is not Unsupported.
    BodyDecoder(ContentCoding coding, size_t limit);
    ~BodyDecoder();
    BodyDecoder(const BodyDecoder&) = delete;
    BodyDecoder& operator=(const BodyDecoder&) = delete;

    // Appends what `piece`, the next bytes of the body, decodes to. False, for good, once the
    // body is no valid stream of its coding or decodes to more than `limit` bytes in all;
    // `body` then holds at most one byte past the limit. Bytes after the end of a
    // compressed stream are ignored.
    bool decode(std::string_view piece, std::string& body);

    // Whether the body ended where its coding says: a compressed stream must reach its end,
    // unless no byte came at all.
    bool finished() const;

private:
    bool startInflating(int windowBits);
    bool inflatePiece(std::string_view piece, std::string& body);
    bool fail();

    ContentCoding coding_;
    size_t limit_;
    // The first two bytes of a deflate body, which tell a zlib-wrapped stream from a raw one.
    std::string deflateLead_;
    std::unique_ptr<InflateStream> inflater_;
    bool receivedAny_ = false;
    bool ended_ = false;
    bool failed_ = false;
};
