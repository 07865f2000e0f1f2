#include "mail/RewriteOracle.h"

#include <cstddef>

namespace {

enum class State { Text, InTag, AfterName, SkipEmbed, SkipObject, SkipApplet };

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view page, size_t position, std::string_view lowerWord) {
    for (size_t i = 0; i < lowerWord.size(); ++i) {
        if (position + i >= page.size() || lowerAscii(page[position + i]) != lowerWord[i]) return false;
    }
    return true;
}

bool isQuote(char c) { return c == '"' || c == '\''; }

size_t rewriteAttributeValue(std::string_view page, size_t position, std::string_view base, std::string& output) {
    size_t equals = position;
    while (equals < page.size() && page[equals] != '=') ++equals;
    if (equals == page.size()) {
        output += page[position];
        return 1;
    }
    size_t valueStart = equals + 1;
    while (valueStart < page.size() &&
           (isQuote(page[valueStart]) || page[valueStart] == ' ' || page[valueStart] == '/')) {
        ++valueStart;
    }
    size_t valueEnd = valueStart;
    while (valueEnd < page.size() && !isQuote(page[valueEnd]) && page[valueEnd] != ' ' && page[valueEnd] != '>') {
        ++valueEnd;
    }
    if (startsWithNoCase(page, valueStart, "http://") || startsWithNoCase(page, valueStart, "https://")) {
        output += page[position];
        return 1;
    }
    output += "=\"";
    output += base;
    output += '/';
    output += page.substr(valueStart, valueEnd - valueStart);
    output += '"';
    return valueEnd - position + (valueEnd < page.size() && isQuote(page[valueEnd]) ? 1 : 0);
}

// Ends a skipped element at `closing`, else drops the byte.
void skipByte(std::string_view page, size_t& position, State& state, std::string_view closing) {
    if (startsWithNoCase(page, position, closing)) {
        position += closing.size();
        state = State::Text;
    } else {
        ++position;
    }
}

}  // namespace

std::string rewritePageLinksLiterally(std::string_view page, std::string_view base) {
    std::string output;
    State state = State::Text;
    size_t position = 0;
    const auto emit = [&](std::string_view word, State next) {
        output += word;
        position += word.size();
        state = next;
    };
    while (position < page.size()) {
        switch (state) {
            case State::Text:
                if (startsWithNoCase(page, position, "<applet")) {
                    position += 7;
                    state = State::SkipApplet;
                } else if (startsWithNoCase(page, position, "<a")) {
                    emit("<a", State::InTag);
                } else if (startsWithNoCase(page, position, "<link")) {
                    emit("<link", State::InTag);
                } else if (startsWithNoCase(page, position, "<img")) {
                    emit("<img", State::InTag);
                } else if (startsWithNoCase(page, position, "<embed")) {
                    position += 6;
                    state = State::SkipEmbed;
                } else if (startsWithNoCase(page, position, "<object")) {
                    position += 7;
                    state = State::SkipObject;
                } else {
                    output += page[position++];
                }
                break;
            case State::InTag:
                if (page[position] == '>') {
                    emit(">", State::Text);
                } else if (startsWithNoCase(page, position, "src")) {
                    emit("src", State::AfterName);
                } else if (startsWithNoCase(page, position, "href")) {
                    emit("href", State::AfterName);
                } else {
                    output += page[position++];
                }
                break;
            case State::AfterName:
                if (page[position] == '>') {
                    emit(">", State::Text);
                } else {
                    position += rewriteAttributeValue(page, position, base, output);
                    state = State::InTag;
                }
                break;
            case State::SkipEmbed: skipByte(page, position, state, "/embed>"); break;
            case State::SkipObject: skipByte(page, position, state, "/object>"); break;
            case State::SkipApplet: skipByte(page, position, state, "/applet>"); break;
        }
    }
    return output;
}
