#include "text_content.h"

#include <cstddef>
#include <utility>

namespace vektrano {

namespace {

constexpr char32_t kDiameter = 0x00D8; // Ø, the form Windows-1252 holds
constexpr char32_t kDegree = 0x00B0;
constexpr char32_t kPlusMinus = 0x00B1;

// DXF writes control characters as "^" and a letter ("^J", "^I") and a caret
// itself as "^ "; decoding first lets every later step see plain characters.
std::string DecodeCarets(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '^' && i + 1 < bytes.size()) {
            const auto next = static_cast<unsigned char>(bytes[i + 1]);
            if (next == ' ' || (next >= 0x40 && next <= 0x5F)) {
                out += next == ' ' ? '^' : static_cast<char>(next - 0x40);
                ++i;
                continue;
            }
        }
        out += bytes[i];
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlankLine(const std::string& line)
{
    return line.find_first_not_of(' ') == std::string::npos;
}

// One pass over a decoded string: every step moves forward, so a hostile string
// (an unclosed "{", a "\S" without ";") costs no more than its length.
class TextReader
{
public:
    TextReader(std::string_view bytes, DxfCodePage codePage, bool mtext)
        : text_(DecodeCarets(bytes))
        , codePage_(codePage)
        , mtext_(mtext)
    {}

    std::vector<std::string> Read()
    {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '%' && ReadPercentCode(line_))
                continue;
            if (c == '\\') {
                ReadBackslash();
            } else if (c == '\n' && mtext_) {
                EndLine();
                ++pos_;
            } else if (c == '\r' || ((c == '{' || c == '}') && mtext_)) {
                ++pos_; // a "^M" before "^J", or a group's brace
            } else {
                CopyCharacter(line_);
            }
        }
        EndLine();
        while (!lines_.empty() && lines_.back().empty())
            lines_.pop_back();
        return std::move(lines_);
    }

private:
    static void AppendCharacter(std::string& out, char32_t codePoint)
    {
        if (codePoint < 0x20 || codePoint == 0x7F)
            out += ' ';
        else
            AppendUtf8(out, codePoint);
    }

    void CopyCharacter(std::string& out)
    {
        if (codePage_ == DxfCodePage::Windows1252) {
            AppendCharacter(out, Cp1252CodePoint(static_cast<unsigned char>(text_[pos_])));
            ++pos_;
        } else if (const auto codePoint = DecodeUtf8(text_, pos_)) {
            AppendCharacter(out, *codePoint);
        } else {
            out += '?';
        }
    }

    // At "%%": a special character or a dropped underline/overline toggle.
    bool ReadPercentCode(std::string& out)
    {
        if (pos_ + 2 >= text_.size() || text_[pos_ + 1] != '%')
            return false;
        const char code = text_[pos_ + 2];
        switch (code) {
        case 'c':
        case 'C': AppendUtf8(out, kDiameter); break;
        case 'd':
        case 'D': AppendUtf8(out, kDegree); break;
        case 'p':
        case 'P': AppendUtf8(out, kPlusMinus); break;
        case '%': out += '%'; break;
        case 'u':
        case 'U':
        case 'o':
        case 'O':
        case 'k':
        case 'K': break;
        default:
            if (pos_ + 4 < text_.size() && IsDigit(code) && IsDigit(text_[pos_ + 3]) &&
                IsDigit(text_[pos_ + 4])) {
                const int value =
                    (code - '0') * 100 + (text_[pos_ + 3] - '0') * 10 + (text_[pos_ + 4] - '0');
                if (value < 256)
                    AppendCharacter(out, Cp1252CodePoint(static_cast<unsigned char>(value)));
                else
                    out += '?';
                pos_ += 5;
                return true;
            }
            return false;
        }
        pos_ += 3;
        return true;
    }

    // Four hex digits at text_[at], or -1.
    long HexAt(std::size_t at) const
    {
        if (at + 4 > text_.size())
            return -1;
        long value = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const int digit = HexDigit(text_[at + k]);
            if (digit < 0)
                return -1;
            value = value * 16 + digit;
        }
        return value;
    }

    // At "\U+XXXX" or "\M+nXXXX"; false leaves pos_ alone.
    bool ReadCharacterCode(std::string& out)
    {
        if (pos_ + 2 >= text_.size() || text_[pos_ + 2] != '+')
            return false;
        if (text_[pos_ + 1] == 'U') {
            const long value = HexAt(pos_ + 3);
            if (value < 0)
                return false;
            pos_ += 7;
            auto codePoint = static_cast<char32_t>(value);
            // Characters past U+FFFF arrive as a surrogate pair of two codes.
            if (codePoint >= 0xD800 && codePoint <= 0xDBFF && pos_ + 2 < text_.size() &&
                text_.compare(pos_, 3, "\\U+") == 0) {
                const long low = HexAt(pos_ + 3);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    codePoint = 0x10000 + ((codePoint - 0xD800) << 10) +
                                static_cast<char32_t>(low - 0xDC00);
                    pos_ += 7;
                }
            }
            if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
                out += '?';
            else
                AppendCharacter(out, codePoint);
            return true;
        }
        if (text_[pos_ + 1] == 'M') {
            if (pos_ + 3 >= text_.size() || !IsDigit(text_[pos_ + 3]))
                return false;
            const long value = HexAt(pos_ + 4);
            if (value < 0)
                return false;
            pos_ += 8;
            // The East Asian code pages agree with ASCII below 0x80 and need
            // tables this program does not carry above it.
            if (value < 0x80)
                AppendCharacter(out, static_cast<char32_t>(value));
            else
                out += '?';
            return true;
        }
        return false;
    }

    void SkipOptional(char c)
    {
        if (pos_ < text_.size() && text_[pos_] == c)
            ++pos_;
    }

    void SkipPast(char c)
    {
        while (pos_ < text_.size() && text_[pos_] != c)
            ++pos_;
        SkipOptional(c);
    }

    // A value like "2.5", "0.8x" or "1e-3" after \H, \W, \T or \Q.
    void SkipNumber()
    {
        const auto at = [this](char c) { return pos_ < text_.size() && text_[pos_] == c; };
        const auto digitAt = [this](std::size_t p) {
            return p < text_.size() && IsDigit(text_[p]);
        };
        if (at('+') || at('-'))
            ++pos_;
        while (digitAt(pos_) || at('.'))
            ++pos_;
        if (at('e') || at('E')) {
            std::size_t p = pos_ + 1;
            if (p < text_.size() && (text_[p] == '+' || text_[p] == '-'))
                ++p;
            if (digitAt(p)) {
                pos_ = p;
                while (digitAt(pos_))
                    ++pos_;
            }
        }
        if (at('x') || at('X'))
            ++pos_;
    }

    void ReadBackslash()
    {
        if (ReadCharacterCode(line_))
            return;
        if (!mtext_ || pos_ + 1 >= text_.size()) {
            line_ += '\\';
            ++pos_;
            return;
        }
        const char code = text_[pos_ + 1];
        pos_ += 2;
        switch (code) {
        case 'P':
        case 'N': // a column break: columns become lines one after another
        case 'X': EndLine(); break;
        case '~': line_ += ' '; break;
        case '\\':
        case '{':
        case '}': line_ += code; break;
        case 'L':
        case 'l':
        case 'O':
        case 'o':
        case 'K':
        case 'k': break;
        case 'f':
        case 'F':
        case 'p': SkipPast(';'); break;
        case 'H':
        case 'W':
        case 'T':
        case 'Q':
            SkipNumber();
            SkipOptional(';');
            break;
        case 'C':
        case 'c':
            while (pos_ < text_.size() && IsDigit(text_[pos_]))
                ++pos_;
            SkipOptional(';');
            break;
        case 'A':
            if (pos_ < text_.size())
                ++pos_;
            SkipOptional(';');
            break;
        case 'S': ReadStack(); break;
        default:
            // An unknown code shows as written, as AutoCAD does.
            line_ += '\\';
            pos_ -= 1;
            break;
        }
    }

    // "\Sa^b;": both parts on one line as "a/b", or the one part that is there.
    void ReadStack()
    {
        std::string parts[2];
        int part = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ';') {
                ++pos_;
                break;
            }
            if (c == '\\' && pos_ + 1 < text_.size()) {
                ++pos_;
                CopyCharacter(parts[part]);
            } else if (part == 0 && (c == '^' || c == '/' || c == '#')) {
                part = 1;
                ++pos_;
            } else if (c != '%' || !ReadPercentCode(parts[part])) {
                CopyCharacter(parts[part]);
            }
        }
        line_ += parts[0];
        if (!parts[0].empty() && !parts[1].empty())
            line_ += '/';
        line_ += parts[1];
    }

    void EndLine()
    {
        if (IsBlankLine(line_))
            line_.clear();
        lines_.push_back(std::move(line_));
        line_.clear();
    }

    std::string text_;
    DxfCodePage codePage_;
    bool mtext_;
    std::size_t pos_ = 0;
    std::string line_;
    std::vector<std::string> lines_;
};

} // namespace

std::string PlainTextLine(std::string_view bytes, DxfCodePage codePage)
{
    std::vector<std::string> lines = TextReader(bytes, codePage, false).Read();
    return lines.empty() ? std::string() : std::move(lines.front());
}

std::vector<std::string> PlainMTextLines(std::string_view bytes, DxfCodePage codePage)
{
    return TextReader(bytes, codePage, true).Read();
}

} // namespace vektrano
