#include "logproc/rtf_text.h"

#include <cctype>
#include <vector>

#include "support/number_text.h"

namespace lognex {
namespace {

// Groups whose content is not text.
constexpr std::string_view kHiddenGroups[] = {"fonttbl", "colortbl", "stylesheet", "info",      "pict",
                                              "header",  "footer",   "object",     "listtable", "generator"};

bool IsAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// One pass over rich text: the position, the text so far, and whether the
// current group (and each enclosing one) is hidden.
class RtfReader {
public:
    explicit RtfReader(std::string_view rtf) : rtf_(rtf) {}

    std::string Read() {
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_++];
            if (c == '{') {
                hiddenStack_.push_back(hidden_);
            } else if (c == '}') {
                EndGroup();
            } else if (c == '\\') {
                if (pos_ >= rtf_.size()) break;
                ReadControl();
            } else if (c != '\r' && c != '\n') {  // line breaks in the source are not text
                Emit(c);
            }
        }
        // The control's own final paragraph mark is not part of the text.
        if (out_.size() >= 2 && out_.compare(out_.size() - 2, 2, "\r\n") == 0) out_.resize(out_.size() - 2);
        return std::move(out_);
    }

private:
    void Emit(char c) {
        if (!hidden_) out_ += c;
    }
    void Emit(std::string_view text) {
        if (!hidden_) out_ += text;
    }

    // A closing brace without its opening one is ignored.
    void EndGroup() {
        if (hiddenStack_.size() > 1) {
            hidden_ = hiddenStack_.back();
            hiddenStack_.pop_back();
        }
    }

    // After a backslash: a control symbol, a hex escape or a control word.
    void ReadControl() {
        const char s = rtf_[pos_];
        if (s == '\\' || s == '{' || s == '}') {
            Emit(s);
            ++pos_;
        } else if (s == '\'') {
            ReadHexEscape();
        } else if (s == '*') {  // an optional destination this reader does not know
            hidden_ = true;
            ++pos_;
        } else if (!IsAlpha(s)) {
            if (s == '~') Emit(' ');  // non-breaking space
            ++pos_;
        } else {
            ReadControlWord();
        }
    }

    // \'hh is the byte hh; with fewer than two hex digits the escape is dropped.
    void ReadHexEscape() {
        if (pos_ + 2 < rtf_.size()) {
            const int high = HexDigitValue(rtf_[pos_ + 1]);
            const int low = HexDigitValue(rtf_[pos_ + 2]);
            if (high >= 0 && low >= 0) {
                Emit(static_cast<char>(high * 16 + low));
                pos_ += 3;
                return;
            }
        }
        ++pos_;
    }

    // Letters, an optional signed number, and one delimiting blank that
    // belongs to the word. A hidden group's word hides the rest of its group.
    void ReadControlWord() {
        const std::size_t wordStart = pos_;
        while (pos_ < rtf_.size() && IsAlpha(rtf_[pos_])) ++pos_;
        const std::string_view word = rtf_.substr(wordStart, pos_ - wordStart);
        if (pos_ < rtf_.size() && (rtf_[pos_] == '-' || IsDigit(rtf_[pos_]))) {
            ++pos_;
            while (pos_ < rtf_.size() && IsDigit(rtf_[pos_])) ++pos_;
        }
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;
        for (std::string_view group : kHiddenGroups) {
            if (word == group) hidden_ = true;
        }
        if (word == "par" || word == "line")
            Emit("\r\n");
        else if (word == "tab")
            Emit('\t');
    }

    std::string_view rtf_;
    std::size_t pos_ = 0;
    std::string out_;
    std::vector<bool> hiddenStack_{false};
    bool hidden_ = false;
};

}  // namespace

std::string RtfToPlainText(std::string_view rtf) { return RtfReader(rtf).Read(); }

}  // namespace lognex
