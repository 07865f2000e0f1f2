#include "mail/PageRewrite.h"

#include <cstddef>

namespace {

constexpr size_t kNotFound = std::string_view::npos;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A word that would run past the page does not match.
bool startsWithNoCase(std::string_view page, size_t position, std::string_view lowerWord) {
    if (page.size() - position < lowerWord.size()) return false;
    for (size_t i = 0; i < lowerWord.size(); ++i) {
        if (lowerAscii(page[position + i]) != lowerWord[i]) return false;
    }
    return true;
}

bool isQuote(char c) { return c == '"' || c == '\''; }
bool isValueLead(char c) { return isQuote(c) || c == ' ' || c == '/'; }
bool isValueEnd(char c) { return isQuote(c) || c == ' ' || c == '>'; }
// The bytes at which something can happen inside a tag: its end or an attribute name.
bool isTagMark(char c) { return c == '>' || c == 's' || c == 'S' || c == 'h' || c == 'H'; }

// One scan over the page. The position only moves forward, which lets every search
// resume where the previous one ended; that keeps the cost linear where each attribute
// name would otherwise search the rest of the page for its "=".
class PageLinkRewriter {
public:
    PageLinkRewriter(std::string_view page, std::string_view base) : page_(page), base_(base) {
        output_.reserve(page.size() + page.size() / 8);
    }

    std::string run(const std::atomic<int32_t>* stopRequested) {
        while (position_ < page_.size() && !(stopRequested && stopRequested->load(std::memory_order_relaxed))) {
            step();
        }
        flush();
        return std::move(output_);
    }

private:
    enum class State { Text, InTag, AfterName, SkipElement };

    void step() {
        switch (state_) {
            case State::Text: scanText(); break;
            case State::InTag: scanTag(); break;
            case State::AfterName: scanAfterName(); break;
            case State::SkipElement: scanSkippedElement(); break;
        }
    }

    void scanText() {
        const size_t tagStart = page_.find('<', position_);
        if (tagStart == kNotFound) {
            position_ = page_.size();
            return;
        }
        position_ = tagStart;
        // The letter after "<" tells which of the tags it can begin, so most tags cost one test.
        const char letter = tagStart + 1 < page_.size() ? lowerAscii(page_[tagStart + 1]) : '\0';
        switch (letter) {
            case 'a':
                // "<applet" before "<a", which it begins with.
                if (startsWithNoCase(page_, position_, "<applet")) return startSkipping(7, "/applet>");
                return enterTag("<a");
            case 'l':
                if (startsWithNoCase(page_, position_, "<link")) return enterTag("<link");
                break;
            case 'i':
                if (startsWithNoCase(page_, position_, "<img")) return enterTag("<img");
                break;
            case 'e':
                if (startsWithNoCase(page_, position_, "<embed")) return startSkipping(6, "/embed>");
                break;
            case 'o':
                if (startsWithNoCase(page_, position_, "<object")) return startSkipping(7, "/object>");
                break;
        }
        keep(1);
    }

    // Attribute names count anywhere in the tag, inside longer names and values too.
    void scanTag() {
        while (position_ < page_.size() && !isTagMark(page_[position_])) ++position_;
        if (position_ == page_.size()) return;
        if (page_[position_] == '>') {
            keep(1);
            state_ = State::Text;
        } else if (startsWithNoCase(page_, position_, "src")) {
            emitKeyword("src");
            state_ = State::AfterName;
        } else if (startsWithNoCase(page_, position_, "href")) {
            emitKeyword("href");
            state_ = State::AfterName;
        } else {
            keep(1);
        }
    }

    void scanAfterName() {
        if (page_[position_] == '>') {
            keep(1);
            state_ = State::Text;
            return;
        }
        rewriteAttributeValue();
        state_ = State::InTag;
    }

    // The value is the one that the next "=" of the page introduces, however far away; what
    // lies between here and its end is replaced. An absolute value, or no "=" at all, leaves
    // just the current byte taken.
    void rewriteAttributeValue() {
        const size_t equals = equalsAtOrAfter(position_);
        if (equals == kNotFound) return keep(1);
        const size_t valueStart = valueStartAfter(equals);
        if (startsWithNoCase(page_, valueStart, "http://") || startsWithNoCase(page_, valueStart, "https://")) {
            return keep(1);
        }
        size_t valueEnd = valueStart;
        while (valueEnd < page_.size() && !isValueEnd(page_[valueEnd])) ++valueEnd;
        const bool closingQuote = valueEnd < page_.size() && isQuote(page_[valueEnd]);
        flush();
        output_ += "=\"";
        output_ += base_;
        output_ += '/';
        output_.append(page_.data() + valueStart, valueEnd - valueStart);
        output_ += '"';
        skipTo(valueEnd + (closingQuote ? 1 : 0));
    }

    void scanSkippedElement() {
        for (size_t slash = page_.find('/', position_); slash != kNotFound; slash = page_.find('/', slash + 1)) {
            if (startsWithNoCase(page_, slash, closing_)) {
                skipTo(slash + closing_.size());
                state_ = State::Text;
                return;
            }
        }
        skipTo(page_.size());
    }

    // Valid because positions never decrease: an "=" found at or after an earlier position
    // is also the first one at or after any later position up to it.
    size_t equalsAtOrAfter(size_t position) {
        if (!equalsSearched_ || (nextEquals_ != kNotFound && nextEquals_ < position)) {
            nextEquals_ = page_.find('=', position);
            equalsSearched_ = true;
        }
        return nextEquals_;
    }

    size_t valueStartAfter(size_t equals) {
        if (equals != valueEquals_) {
            size_t start = equals + 1;
            while (start < page_.size() && isValueLead(page_[start])) ++start;
            valueEquals_ = equals;
            valueStart_ = start;
        }
        return valueStart_;
    }

    void enterTag(std::string_view lowerTagStart) {
        emitKeyword(lowerTagStart);
        state_ = State::InTag;
    }

    void startSkipping(size_t openingLength, std::string_view closing) {
        skipTo(position_ + openingLength);
        closing_ = closing;
        state_ = State::SkipElement;
    }

    // Bytes the output takes unchanged go into it in runs, at the next change or the end.
    void keep(size_t count) { position_ += count; }

    void flush() {
        output_.append(page_.data() + keptFrom_, position_ - keptFrom_);
        keptFrom_ = position_;
    }

    void skipTo(size_t position) {
        flush();
        position_ = position;
        keptFrom_ = position;
    }

    // Keywords come out in lower case, whatever their case in the page.
    void emitKeyword(std::string_view lowerWord) {
        if (page_.compare(position_, lowerWord.size(), lowerWord) == 0) return keep(lowerWord.size());
        flush();
        output_ += lowerWord;
        skipTo(position_ + lowerWord.size());
    }

    std::string_view page_;
    std::string_view base_;
    std::string output_;
    size_t position_ = 0;
    size_t keptFrom_ = 0;
    State state_ = State::Text;
    std::string_view closing_;
    bool equalsSearched_ = false;
    size_t nextEquals_ = kNotFound;
    size_t valueEquals_ = kNotFound;
    size_t valueStart_ = 0;
};

}  // namespace

std::wstring pageBaseOf(std::wstring_view link) {
    const std::wstring_view scheme = L"http://";
    const size_t start = link.find(scheme);
    if (start == std::wstring_view::npos) return {};
    const size_t hostEnd = link.find(L'/', start + scheme.size());
    if (hostEnd == std::wstring_view::npos) return {};
    return std::wstring(link.substr(start, hostEnd - start));
}

std::string rewritePageLinks(std::string_view page, std::string_view base,
                             const std::atomic<int32_t>* stopRequested) {
    return PageLinkRewriter(page, base).run(stopRequested);
}
