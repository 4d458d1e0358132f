// The anchor for `kestrio convert 103`: a plain C++ loop that reads one amount a line
// ("1234.50"), writes its capital text (壹仟贰佰叁拾肆元伍角整) and nothing else. No Qt, no
// checks beyond what the generated amounts need: it is the least any program must do to give
// the same output, so the program's time is measured against it.
// Usage: convert_anchor < amounts.txt > capitals.txt
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kDigit[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};

// Zeros between digits of one section are said once; `started` tells whether anything of
// the number was written before this section.
void Section(std::string& out, long long n, bool started)
{
    static const char* const units[] = {"仟", "佰", "拾", ""};
    bool zero = false;
    for (int i = 0, div = 1000; i < 4; ++i, div /= 10) {
        const int d = static_cast<int>(n / div % 10);
        if (d == 0) {
            zero = started;
            continue;
        }
        if (zero) out += "零";
        zero = false;
        started = true;
        out += kDigit[d];
        out += units[i];
    }
}

void BelowHundredMillion(std::string& out, long long n)
{
    const long long wan = n / 10000, units = n % 10000;
    if (wan) {
        Section(out, wan, false);
        out += "万";
    }
    if (!units) return;
    if (wan && (units < 1000 || wan % 10 == 0)) out += "零";
    Section(out, units, false);
}

void Capital(std::string& out, long long fen)
{
    const long long yuan = fen / 100, yi = yuan / 100000000, rest = yuan % 100000000;
    const int jiao = static_cast<int>(fen / 10 % 10), cents = static_cast<int>(fen % 10);
    if (yi) {
        BelowHundredMillion(out, yi);
        out += "亿";
    }
    if (rest) {
        if (yi && (rest < 10000000 || yi % 10 == 0)) out += "零";
        BelowHundredMillion(out, rest);
    }
    if (yuan) out += "元";
    if (jiao == 0 && cents == 0) {
        out += yuan ? "整" : "零元整";
    } else if (cents == 0) {
        out += kDigit[jiao];
        out += "角整";
    } else {
        if (jiao) {
            out += kDigit[jiao];
            out += "角";
        } else if (yuan) {
            out += "零";
        }
        out += kDigit[cents];
        out += "分";
    }
}

} // namespace

int main()
{
    char line[64];
    std::string out;
    out.reserve(1 << 16);
    while (std::fgets(line, sizeof line, stdin)) {
        long long fen = 0;
        for (const char* c = line; *c && *c != '\n' && *c != '\r'; ++c)
            if (*c >= '0' && *c <= '9') fen = fen * 10 + (*c - '0');
        Capital(out, fen);
        out += '\n';
        if (out.size() > (1 << 15)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
