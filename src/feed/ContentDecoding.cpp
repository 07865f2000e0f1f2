#include "feed/ContentDecoding.h"

#include <zlib.h>

#include <algorithm>

namespace {

// Output is written straight into the body in slices of this size.
constexpr size_t kOutputSliceBytes = 64 * 1024;
// zlib's window bits: 15 a zlib wrapper, negative a raw stream, +16 a gzip wrapper.
constexpr int kZlibWindowBits = MAX_WBITS;
constexpr int kRawWindowBits = -MAX_WBITS;
constexpr int kGzipWindowBits = MAX_WBITS + 16;

bool equalsNoCase(std::wstring_view text, std::wstring_view lowerWord) {
    return std::equal(text.begin(), text.end(), lowerWord.begin(), lowerWord.end(), [](wchar_t a, wchar_t b) {
        return (a >= L'A' && a <= L'Z' ? a - L'A' + L'a' : a) == b;
    });
}

std::wstring_view trimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

ContentCoding codingOfToken(std::wstring_view token) {
    if (token.empty() || equalsNoCase(token, L"identity")) return ContentCoding::Identity;
    if (equalsNoCase(token, L"gzip") || equalsNoCase(token, L"x-gzip")) return ContentCoding::Gzip;
    if (equalsNoCase(token, L"deflate")) return ContentCoding::Deflate;
    return ContentCoding::Unsupported;
}

// RFC 1950: compression method 8 and a header check that makes the first two bytes a
// multiple of 31. A raw stream starts so only by chance, and servers that send raw deflate
// begin with a compressed block, which never does.
bool startsZlibStream(std::string_view lead) {
    const unsigned first = static_cast<unsigned char>(lead[0]);
    const unsigned second = static_cast<unsigned char>(lead[1]);
    return (first & 0x0f) == Z_DEFLATED && (first * 256 + second) % 31 == 0;
}

}  // namespace

// A zlib inflate stream, ended with its holder. zlib keeps a pointer to the stream in its
// state, so the stream never moves.
class InflateStream {
public:
    explicit InflateStream(int windowBits) { initialised_ = inflateInit2(&stream_, windowBits) == Z_OK; }
    ~InflateStream() {
        if (initialised_) inflateEnd(&stream_);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    explicit operator bool() const { return initialised_; }
    z_stream& get() { return stream_; }

private:
    z_stream stream_ = {};
    bool initialised_ = false;
};

ContentCoding ContentCodingOf(std::wstring_view contentEncoding) {
    ContentCoding coding = ContentCoding::Identity;
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(contentEncoding.find(L',', start), contentEncoding.size());
        const ContentCoding named = codingOfToken(trimmed(contentEncoding.substr(start, comma - start)));
        if (named != ContentCoding::Identity) {
            // Codings applied one over the other are not worth undoing for a feed.
            if (coding != ContentCoding::Identity) return ContentCoding::Unsupported;
            coding = named;
        }
        if (comma == contentEncoding.size()) return coding;
        start = comma + 1;
    }
}

BodyDecoder::BodyDecoder(ContentCoding coding, size_t limit) : coding_(coding), limit_(limit) {}

BodyDecoder::~BodyDecoder() = default;

bool BodyDecoder::decode(std::string_view piece, std::string& body) {
    if (failed_) return false;
    receivedAny_ = receivedAny_ || !piece.empty();
    switch (coding_) {
        case ContentCoding::Identity:
            if (piece.size() > limit_ - body.size()) {
                body.append(piece.substr(0, limit_ + 1 - body.size()));
                return fail();
            }
            body.append(piece);
            return true;
        case ContentCoding::Gzip:
            if (!inflater_ && !startInflating(kGzipWindowBits)) return false;
            return inflatePiece(piece, body);
        case ContentCoding::Deflate:
            if (!inflater_) {
                const size_t taken = std::min(piece.size(), 2 - deflateLead_.size());
                deflateLead_.append(piece.substr(0, taken));
                piece.remove_prefix(taken);
                if (deflateLead_.size() < 2) return true;
                if (!startInflating(startsZlibStream(deflateLead_) ? kZlibWindowBits : kRawWindowBits) ||
                    !inflatePiece(deflateLead_, body)) {
                    return false;
                }
            }
            return inflatePiece(piece, body);
        case ContentCoding::Unsupported: break;
    }
    return fail();
}

bool BodyDecoder::finished() const {
    if (failed_) return false;
    return coding_ == ContentCoding::Identity || !receivedAny_ || ended_;
}

bool BodyDecoder::startInflating(int windowBits) {
    inflater_ = std::make_unique<InflateStream>(windowBits);
    return *inflater_ || fail();
}

bool BodyDecoder::inflatePiece(std::string_view piece, std::string& body) {
    z_stream& stream = inflater_->get();
    // zlib only reads through next_in.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    stream.avail_in = static_cast<uInt>(piece.size());
    // A full slice may leave output inside zlib even when all input is taken.
    while (!ended_ && (stream.avail_in > 0 || stream.avail_out == 0)) {
        // One byte of room past the limit is enough to see a body go over it.
        const size_t room = std::min(kOutputSliceBytes, limit_ + 1 - body.size());
        const size_t before = body.size();
        body.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(&body[before]);
        stream.avail_out = static_cast<uInt>(room);
        const int status = inflate(&stream, Z_NO_FLUSH);
        body.resize(before + room - stream.avail_out);
        if (status == Z_STREAM_END) {
            ended_ = true;
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            return fail();
        }
        if (body.size() > limit_) return fail();
        if (status == Z_BUF_ERROR) break;
    }
    return true;
}

bool BodyDecoder::fail() {
    failed_ = true;
    inflater_.reset();
    return false;
}
