#include "datafiles/custom_powerup_file.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/numbers.h"
#include "base/text_file.h"

namespace {

// A non-negative whole number of any size, in base 10^9 limbs, least
// significant first: just enough arithmetic to print a double exactly.
class BigDecimal {
  public:
    explicit BigDecimal(std::uint64_t value) {
        do {
            limbs_.push_back(static_cast<std::uint32_t>(value % kBase));
            value /= kBase;
        } while (value != 0);
    }

    void multiplyBy(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (auto& limb : limbs_) {
            const std::uint64_t v = std::uint64_t{limb} * factor + carry;
            limb = static_cast<std::uint32_t>(v % kBase);
            carry = v / kBase;
        }
        while (carry != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(carry % kBase));
            carry /= kBase;
        }
    }

    // Halves the number and yields the bit that fell off.
    unsigned halve() {
        std::uint64_t rest = 0;
        for (std::size_t i = limbs_.size(); i-- > 0;) {
            const std::uint64_t v = limbs_[i] + rest * kBase;
            limbs_[i] = static_cast<std::uint32_t>(v / 2);
            rest = v % 2;
        }
        while (limbs_.size() > 1 && limbs_.back() == 0) limbs_.pop_back();
        return static_cast<unsigned>(rest);
    }

    void addOne() {
        for (auto& limb : limbs_) {
            if (++limb < kBase) return;
            limb = 0;
        }
        limbs_.push_back(1);
    }

    bool isOdd() const { return limbs_[0] % 2 != 0; }
    bool isZero() const { return limbs_.size() == 1 && limbs_[0] == 0; }

    std::string digits() const {
        std::string text = std::to_string(limbs_.back());
        for (std::size_t i = limbs_.size() - 1; i-- > 0;) {
            const std::string part = std::to_string(limbs_[i]);
            text.append(9 - part.size(), '0');
            text += part;
        }
        return text;
    }

  private:
    static constexpr std::uint64_t kBase = 1000000000;
    std::vector<std::uint32_t> limbs_;
};

}  // namespace

std::string customPowerUpPath(int n) {
    return kCustomPowerUpFolder + "PowerUp" + std::to_string(n) + ".cpup";
}

bool customPowerUpFilePresent(int n) {
    std::FILE* f = std::fopen(customPowerUpPath(n).c_str(), "rb");
    if (!f) return false;
    // A folder of that name opens on Linux but holds no power-up.
    struct stat st;
    const bool regular = ::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode);
    std::fclose(f);
    return regular;
}

std::string formatTenDecimals(double value) {
    if (!std::isfinite(value)) return "0.0000000000";
    // |value| = mantissa * 2^exponent exactly, with a whole 53-bit mantissa.
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    exponent -= 53;

    // Scaled by 10^10, the ten decimals become the last ten digits of a whole
    // number; powers of two are then applied exactly, rounding once at the end.
    BigDecimal scaled(mantissa);
    scaled.multiplyBy(100000);
    scaled.multiplyBy(100000);
    unsigned roundBit = 0;
    bool sticky = false;
    for (; exponent > 0; --exponent) scaled.multiplyBy(2);
    for (; exponent < 0; ++exponent) {
        sticky = sticky || roundBit != 0;
        roundBit = scaled.halve();
    }
    if (roundBit != 0 && (sticky || scaled.isOdd())) scaled.addOne();

    std::string digits = scaled.digits();
    if (digits.size() < 11) digits.insert(0, 11 - digits.size(), '0');
    digits.insert(digits.size() - 10, 1, '.');
    if (value < 0 && !scaled.isZero()) digits.insert(0, 1, '-');
    return digits;
}

double parseDecimal(std::string_view line) {
    std::size_t i = 0;
    const bool negative = skipBlanksAndSign(line, i);
    const std::size_t start = i;
    std::size_t digitCount = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i, ++digitCount;
    if (i < line.size() && line[i] == '.') {
        ++i;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i, ++digitCount;
    }
    if (digitCount == 0) return 0;
    // from_chars rounds correctly and ignores the locale; it only ever sees
    // the digits and the point picked out above.
    double magnitude = 0;
    const auto result =
        std::from_chars(line.data() + start, line.data() + i, magnitude, std::chars_format::fixed);
    if (result.ec != std::errc()) return 0;
    return negative ? -magnitude : magnitude;
}

std::string fileNamePart(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

CustomPowerUpFile parseCustomPowerUpFile(const std::string& bytes) {
    LineReader in(bytes);
    CustomPowerUpFile f;
    f.name = in.readLine();
    f.author = in.readLine();
    f.smileyFile = in.readLine();
    f.shotFile = in.readLine();
    f.damageBonus = parseDecimal(in.readLine());
    f.durationStep = parseDecimal(in.readLine());
    f.fireDelayOffset = parseDecimal(in.readLine());
    f.walkBonus = parseDecimal(in.readLine());
    return f;
}

std::string formatCustomPowerUpFile(const CustomPowerUpFile& f) {
    TextWriter w;
    w.writeLine(f.name);
    w.writeLine(f.author);
    w.writeLine(f.smileyFile);
    w.writeLine(f.shotFile);
    w.writeLine(formatTenDecimals(f.damageBonus));
    w.writeLine(formatTenDecimals(f.durationStep));
    w.writeLine(formatTenDecimals(f.fireDelayOffset));
    w.writeText(formatTenDecimals(f.walkBonus));
    return w.bytes();
}

int chooseCustomPowerUpNumber() {
    int n = 0;
    while (customPowerUpFilePresent(n)) ++n;
    return n;
}

WriteResult writeCustomPowerUp(int n, const std::string& name, const std::string& author,
                               const std::string& smileyPath, const std::string& shotPath,
                               double damageBonus, double durationStep, double fireDelayOffset,
                               double walkBonus) {
    CustomPowerUpFile f;
    f.name = name;
    f.author = author;
    f.smileyFile = fileNamePart(smileyPath);
    f.shotFile = fileNamePart(shotPath);
    f.damageBonus = damageBonus;
    f.durationStep = durationStep;
    f.fireDelayOffset = fireDelayOffset;
    f.walkBonus = walkBonus;
    return writeFileSafely(customPowerUpPath(n), formatCustomPowerUpFile(f));
}
