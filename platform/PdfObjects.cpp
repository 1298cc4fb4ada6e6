#include "platform/PdfObjects.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t none = std::string_view::npos;
constexpr int kDeepest = 64;  // nesting beyond this is not a PDF Qt wrote

bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}
bool isDelimiter(char c) { return c != '\0' && std::strchr("()<>[]{}/%", c) != nullptr; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

size_t skipSpace(std::string_view s, size_t at) {
    while (at < s.size()) {
        if (isSpace(s[at])) {
            ++at;
        } else if (s[at] == '%') {  // a comment runs to the end of its line
            while (at < s.size() && s[at] != '\n' && s[at] != '\r') ++at;
        } else {
            break;
        }
    }
    return at;
}

// A non-negative integer at the start of `s`, or -1.
long long integer(std::string_view s) {
    if (s.empty() || s.size() > 15) return -1;
    long long n = 0;
    for (char c : s) {
        if (!isDigit(c)) return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Where the value that starts at `at` ends, or none when it is malformed.
// A reference "N G R" is one value.
size_t valueEnd(std::string_view s, size_t at, int depth = 0) {
    if (at >= s.size() || depth > kDeepest) return none;
    const char c = s[at];
    if (c == '(') {  // a string: balanced parentheses, backslash escapes
        int open = 0;
        for (; at < s.size(); ++at) {
            if (s[at] == '\\') {
                ++at;
            } else if (s[at] == '(') {
                ++open;
            } else if (s[at] == ')' && --open == 0) {
                return at + 1;
            }
        }
        return none;
    }
    const bool dict = s.substr(at, 2) == "<<";
    if (dict || c == '[') {
        const std::string_view close = dict ? ">>" : "]";
        at += dict ? 2 : 1;
        for (;;) {
            at = skipSpace(s, at);
            if (s.substr(at, close.size()) == close) return at + close.size();
            at = valueEnd(s, at, depth + 1);
            if (at == none) return none;
        }
    }
    if (c == '<') {  // a hexadecimal string
        const size_t end = s.find('>', at);
        return end == none ? none : end + 1;
    }
    size_t end = at + (c == '/' ? 1 : 0);  // a name, a number or a keyword
    while (end < s.size() && !isSpace(s[end]) && !isDelimiter(s[end])) ++end;
    if (end == at) return none;
    if (c != '/' && integer(s.substr(at, end - at)) >= 0) {
        const size_t generation = skipSpace(s, end);
        size_t r = generation;
        while (r < s.size() && isDigit(s[r])) ++r;
        if (r > generation) {
            r = skipSpace(s, r);
            if (r < s.size() && s[r] == 'R' &&
                (r + 1 == s.size() || isSpace(s[r + 1]) || isDelimiter(s[r + 1])))
                return r + 1;
        }
    }
    return end;
}

// The value that starts at or after `at`, or nothing.
std::optional<std::string_view> valueAt(std::string_view s, size_t at) {
    at = skipSpace(s, at);
    const size_t end = valueEnd(s, at);
    if (end == none) return std::nullopt;
    return s.substr(at, end - at);
}

// The word (keyword or number) at or after `at`; `at` moves past it.
std::string_view word(std::string_view s, size_t& at) {
    at = skipSpace(s, at);
    const size_t start = at;
    while (at < s.size() && !isSpace(s[at]) && !isDelimiter(s[at])) ++at;
    return s.substr(start, at - start);
}

}  // namespace

PdfObjects::PdfObjects(const QByteArray& pdf) : text_(pdf.constData(), size_t(pdf.size())) {
    const size_t startxref = text_.rfind("startxref");
    if (startxref == none) return;
    size_t at = startxref + 9;
    const long long xref = integer(word(text_, at));
    if (xref < 0 || size_t(xref) >= text_.size()) return;
    xref_ = qsizetype(xref);
    at = size_t(xref);
    if (word(text_, at) != "xref") return;
    for (;;) {  // subsections: first number and count, then an entry a line
        size_t peek = at;
        const std::string_view first = word(text_, peek);
        if (first == "trailer") {
            at = peek;
            break;
        }
        const long long from = integer(first), count = integer(word(text_, peek));
        if (from < 0 || count < 0 || from + count > 10000000) return;
        at = peek;
        if (offsets_.size() < size_t(from + count)) offsets_.resize(size_t(from + count), -1);
        for (long long i = 0; i < count; ++i) {
            const long long offset = integer(word(text_, at));
            const long long generation = integer(word(text_, at));
            const std::string_view kind = word(text_, at);
            if (offset < 0 || generation < 0 || (kind != "n" && kind != "f")) return;
            offsets_[size_t(from + i)] = kind == "n" ? qsizetype(offset) : -1;
        }
    }
    const auto trailer = valueAt(text_, at);
    if (!trailer || !trailer->starts_with("<<")) return;
    trailer_ = *trailer;
    // An earlier update's table would have to be read too: Qt writes none.
    ok_ = !value(trailer_, "/Prev") && value(trailer_, "/Root");
}

std::optional<std::string_view> PdfObjects::object(int id) const {
    if (id <= 0 || size_t(id) >= offsets_.size() || offsets_[size_t(id)] < 0) return std::nullopt;
    size_t at = size_t(offsets_[size_t(id)]);
    if (at >= text_.size() || integer(word(text_, at)) != id || integer(word(text_, at)) < 0 ||
        word(text_, at) != "obj")
        return std::nullopt;
    return valueAt(text_, at);
}

std::vector<std::pair<std::string_view, std::string_view>> PdfObjects::entries(
    std::string_view dict) const {
    std::vector<std::pair<std::string_view, std::string_view>> out;
    if (!dict.starts_with("<<")) return out;
    size_t at = 2;
    for (;;) {
        at = skipSpace(dict, at);
        if (at >= dict.size() || dict.substr(at, 2) == ">>") return out;
        const size_t keyEnd = valueEnd(dict, at);
        if (keyEnd == none || dict[at] != '/') return out;
        const auto item = valueAt(dict, keyEnd);
        if (!item) return out;
        out.emplace_back(dict.substr(at, keyEnd - at), *item);
        at = size_t(item->data() - dict.data()) + item->size();
    }
}

std::optional<std::string_view> PdfObjects::value(std::string_view dict,
                                                  std::string_view key) const {
    for (const auto& [k, v] : entries(dict))
        if (k == key) return v;
    return std::nullopt;
}

int PdfObjects::reference(std::string_view value) {
    if (value.empty() || value.back() != 'R') return 0;
    size_t at = 0;
    const long long id = integer(word(value, at));
    return id > 0 && id <= 10000000 ? int(id) : 0;
}

std::optional<std::string_view> PdfObjects::resolve(std::string_view value) const {
    const int id = reference(value);
    return id ? object(id) : std::optional(value);
}

std::vector<std::string_view> PdfObjects::items(std::string_view array) const {
    std::vector<std::string_view> out;
    if (!array.starts_with("[")) return out;
    size_t at = 1;
    for (;;) {
        at = skipSpace(array, at);
        if (at >= array.size() || array[at] == ']') return out;
        const size_t end = valueEnd(array, at);
        if (end == none) return out;
        out.push_back(array.substr(at, end - at));
        at = end;
    }
}

std::optional<QByteArray> PdfObjects::streamData(int id) const {
    const auto dict = object(id);
    if (!dict || !dict->starts_with("<<")) return std::nullopt;
    size_t at = size_t(dict->data() - text_.data()) + dict->size();
    if (word(text_, at) != "stream") return std::nullopt;
    if (text_.substr(at, 2) == "\r\n")
        at += 2;
    else if (text_.substr(at, 1) == "\n")
        at += 1;
    else
        return std::nullopt;
    const auto lengthValue = value(*dict, "/Length");
    const auto length = lengthValue ? resolve(*lengthValue) : std::nullopt;
    const long long size = length ? integer(*length) : -1;
    if (size < 0 || size_t(size) > text_.size() - at) return std::nullopt;
    const QByteArray raw(text_.data() + at, qsizetype(size));

    const auto filter = value(*dict, "/Filter");
    if (!filter) return raw;
    const std::vector<std::string_view> filters =
        filter->starts_with("[") ? items(*filter) : std::vector{*filter};
    if (filters.size() != 1 || filters[0] != "/FlateDecode" || value(*dict, "/DecodeParms"))
        return std::nullopt;
    // qUncompress wants the size first; a short guess is only retried larger.
    // Page content shrinks about thirty times.
    const quint32 guess = quint32(std::min<qsizetype>(raw.size() * 48 + 4096, 1 << 26));
    QByteArray framed(4, Qt::Uninitialized);
    for (int i = 0; i < 4; ++i) framed[i] = char(guess >> (24 - 8 * i));
    framed += raw;
    QByteArray data = qUncompress(framed);
    if (data.isEmpty() && !raw.isEmpty()) return std::nullopt;
    return data;
}
