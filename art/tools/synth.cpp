// synth: the game's sounds and tunes from small text sources, our own
// instrument so that every sound is made here and can be edited as text.
//
//   synth effect SOURCE.sound OUT.wav    one effect, 48 kHz
//   synth score SOURCE.score OUT.wav     a tune, 24 kHz (the mixer resamples)
//   synth sheet OUT.wav IN.wav...        all in a row, 0.4 s apart, names printed
//
// An effect is a length and layers, one line each:
//
//   length 0.15
//   layer wave=square pitch=600:200 duty=0.3 attack=0.002 decay=0.08 sustain=0.2
//         release=0.04 volume=0.4 start=0 vibrato=8:0.02 steps=0,4,7 step=0.04
//         lowpass=4000 highpass=200 seed=7
//
// A layer's pitch slides from its first to its second value (exponentially);
// steps are semitones taken one after another every `step` seconds.
//
// A score is a tempo, a length in bars of four beats, whether it loops, and
// voices, each a line of sound settings followed by lines of notes:
//
//   tempo 132
//   bars 16
//   loop 1
//   voice wave=square duty=0.25 volume=0.2 attack=0.005 decay=0.1 sustain=0.5 release=0.06
//   notes C5/8 E5/8 G5/4 r/4 A#4/8. Bb4/16
//
// A voice's notes repeat until the bars are full. A looping tune's last
// notes ring on into its beginning, so the loop has no seam.
//
// Everything is worked out from the source alone (the noise from its seed),
// so the same source always gives the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& why) {
    std::fprintf(stderr, "synth: %s: %s\n", where.c_str(), why.c_str());
    std::exit(1);
}

double number(const std::string& text, const std::string& where) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v)) fail(where, "not a number: " + text);
    return v;
}

struct Sound {
    std::string wave = "square";
    double from = 440, to = 440;
    double duty = 0.5;
    double attack = 0.005, decay = 0.05, sustain = 0.5, release = 0.05;
    double volume = 0.3, start = 0;
    double vibratoRate = 0, vibratoDepth = 0;
    std::vector<double> steps;
    double step = 0.05;
    double lowpass = 0, highpass = 0;
    std::uint32_t seed = 1;
};

void setting(Sound& s, const std::string& pair, const std::string& where) {
    const auto eq = pair.find('=');
    if (eq == std::string::npos) fail(where, "expected key=value, got " + pair);
    const std::string key = pair.substr(0, eq), value = pair.substr(eq + 1);
    const auto two = [&](double& a, double& b) {
        const auto colon = value.find(':');
        a = number(value.substr(0, colon), where);
        b = colon == std::string::npos ? a : number(value.substr(colon + 1), where);
    };
    if (key == "wave") {
        if (value != "square" && value != "saw" && value != "triangle" && value != "sine" &&
            value != "noise")
            fail(where, "unknown wave " + value);
        s.wave = value;
    } else if (key == "pitch") {
        two(s.from, s.to);
        if (s.from <= 0 || s.to <= 0) fail(where, "a pitch must be above 0 Hz");
    } else if (key == "duty") {
        s.duty = number(value, where);
    } else if (key == "attack") {
        s.attack = number(value, where);
    } else if (key == "decay") {
        s.decay = number(value, where);
    } else if (key == "sustain") {
        s.sustain = number(value, where);
    } else if (key == "release") {
        s.release = number(value, where);
    } else if (key == "volume") {
        s.volume = number(value, where);
    } else if (key == "start") {
        s.start = number(value, where);
    } else if (key == "vibrato") {
        two(s.vibratoRate, s.vibratoDepth);
    } else if (key == "steps") {
        std::stringstream list(value);
        std::string item;
        s.steps.clear();
        while (std::getline(list, item, ',')) s.steps.push_back(number(item, where));
    } else if (key == "step") {
        s.step = number(value, where);
        if (s.step <= 0) fail(where, "step must be above 0");
    } else if (key == "lowpass") {
        s.lowpass = number(value, where);
    } else if (key == "highpass") {
        s.highpass = number(value, where);
    } else if (key == "seed") {
        s.seed = static_cast<std::uint32_t>(number(value, where));
    } else {
        fail(where, "unknown setting " + key);
    }
}

// One note (or one effect layer) added into `out` from sample `at` on, for
// `held` seconds before its release; samples past the end wrap round to the
// beginning when `wrap` is set, and are dropped otherwise.
void render(const Sound& s, double held, double semitones, std::vector<double>& out, long long at,
            int rate, bool wrap) {
    const long long total = static_cast<long long>((held + s.release) * rate);
    std::uint32_t noise = s.seed * 2654435761u + 1;
    double phase = 0, low = 0, high = 0, lastIn = 0, noiseValue = 0;
    const double lowA = s.lowpass > 0 ? 1 - std::exp(-2 * M_PI * s.lowpass / rate) : 1;
    const double highA = s.highpass > 0 ? std::exp(-2 * M_PI * s.highpass / rate) : 0;
    for (long long i = 0; i < total; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double along = held > 0 ? std::min(t / held, 1.0) : 1;
        double freq = s.from * std::pow(s.to / s.from, along) * std::pow(2.0, semitones / 12);
        if (!s.steps.empty()) {
            const std::size_t k = static_cast<std::size_t>(t / s.step) % s.steps.size();
            freq *= std::pow(2.0, s.steps[k] / 12);
        }
        if (s.vibratoRate > 0) freq *= 1 + s.vibratoDepth * std::sin(2 * M_PI * s.vibratoRate * t);
        const double before = phase;
        phase += freq / rate;
        phase -= std::floor(phase);
        double v = 0;
        if (s.wave == "square") {
            v = phase < s.duty ? 1 : -1;
        } else if (s.wave == "saw") {
            v = 2 * phase - 1;
        } else if (s.wave == "triangle") {
            v = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
        } else if (s.wave == "sine") {
            v = std::sin(2 * M_PI * phase);
        } else {
            // A new noise value each period: the pitch colours the noise.
            if (phase < before) {
                noise ^= noise << 13;
                noise ^= noise >> 17;
                noise ^= noise << 5;
                noiseValue = static_cast<double>(noise) / 2147483648.0 - 1;
            }
            v = noiseValue;
        }
        double env;
        if (t < s.attack)
            env = t / s.attack;
        else if (t < s.attack + s.decay)
            env = 1 - (1 - s.sustain) * (t - s.attack) / s.decay;
        else
            env = s.sustain;
        if (t > held) env *= std::max(0.0, 1 - (t - held) / s.release);
        low += lowA * (v - low);
        v = low;
        if (s.highpass > 0) {
            high = highA * (high + v - lastIn);
            lastIn = v;
            v = high;
        }
        long long where = at + i;
        if (where >= static_cast<long long>(out.size())) {
            if (!wrap) break;
            where %= static_cast<long long>(out.size());
        }
        out[static_cast<std::size_t>(where)] += v * env * s.volume;
    }
}

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    if (!in) fail(path, "cannot be read");
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (const auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> words(const std::string& line) {
    std::stringstream in(line);
    std::vector<std::string> out;
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

void writeWav(const std::string& path, std::vector<double> samples, int rate, bool fadeEnd) {
    double peak = 0;
    for (double v : samples) peak = std::max(peak, std::fabs(v));
    // Never louder than 1 dB under full scale.
    const double limit = 0.89;
    const double scale = peak > limit ? limit / peak : 1;
    const std::size_t fade = fadeEnd ? std::min<std::size_t>(samples.size(), rate / 200) : 0;
    std::string pcm;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double v = samples[i] * scale;
        if (i + fade >= samples.size() && fade > 0)
            v *= static_cast<double>(samples.size() - i) / fade;
        const auto s = static_cast<std::int16_t>(std::lround(v * 32767));
        pcm.append(reinterpret_cast<const char*>(&s), 2);
    }
    const auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    const auto u16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    std::ofstream out(path, std::ios::binary);
    out << "RIFF" << u32(36 + pcm.size()) << "WAVEfmt " << u32(16) << u16(1) << u16(1) << u32(rate)
        << u32(rate * 2) << u16(2) << u16(16) << "data" << u32(pcm.size()) << pcm;
    if (!out) fail(path, "cannot be written");
}

void effect(const std::string& source, const std::string& target) {
    constexpr int rate = 48000;
    double length = 0;
    std::vector<Sound> layers;
    const auto text = lines(source);
    for (std::size_t n = 0; n < text.size(); ++n) {
        const std::string where = source + ":" + std::to_string(n + 1);
        const auto w = words(text[n]);
        if (w.empty()) continue;
        if (w[0] == "length" && w.size() == 2) {
            length = number(w[1], where);
        } else if (w[0] == "layer") {
            Sound s;
            for (std::size_t i = 1; i < w.size(); ++i) setting(s, w[i], where);
            layers.push_back(s);
        } else {
            fail(where, "expected 'length <seconds>' or 'layer ...'");
        }
    }
    if (length <= 0 || length > 10) fail(source, "needs a length from 0 to 10 seconds");
    if (layers.empty()) fail(source, "has no layer");
    std::vector<double> out(static_cast<std::size_t>(length * rate), 0.0);
    for (const Sound& s : layers) {
        const double held = std::max(0.0, length - s.start - s.release);
        render(s, held, 0, out, static_cast<long long>(s.start * rate), rate, false);
    }
    writeWav(target, out, rate, true);
}

// Semitones from A4 of a note name such as C5, F#3 or Bb4.
double noteOffset(const std::string& name, const std::string& where) {
    static const std::map<char, int> base{{'C', -9}, {'D', -7}, {'E', -5}, {'F', -4},
                                          {'G', -2}, {'A', 0},  {'B', 2}};
    if (name.size() < 2 || !base.count(name[0])) fail(where, "not a note: " + name);
    int semis = base.at(name[0]);
    std::size_t i = 1;
    if (name[i] == '#')
        semis += 1, ++i;
    else if (name[i] == 'b')
        semis -= 1, ++i;
    const int octave = static_cast<int>(number(name.substr(i), where));
    return semis + 12 * (octave - 4);
}

void score(const std::string& source, const std::string& target) {
    constexpr int rate = 24000;
    double tempo = 120, bars = 8;
    bool loop = true;
    struct Voice {
        Sound sound;
        std::vector<std::pair<double, double>> notes;  // semitones from A4 (NaN: rest), beats
    };
    std::vector<Voice> voices;
    const auto text = lines(source);
    for (std::size_t n = 0; n < text.size(); ++n) {
        const std::string where = source + ":" + std::to_string(n + 1);
        const auto w = words(text[n]);
        if (w.empty()) continue;
        if (w[0] == "tempo" && w.size() == 2) {
            tempo = number(w[1], where);
        } else if (w[0] == "bars" && w.size() == 2) {
            bars = number(w[1], where);
        } else if (w[0] == "loop" && w.size() == 2) {
            loop = number(w[1], where) != 0;
        } else if (w[0] == "voice") {
            voices.emplace_back();
            for (std::size_t i = 1; i < w.size(); ++i) setting(voices.back().sound, w[i], where);
        } else if (w[0] == "notes") {
            if (voices.empty()) fail(where, "notes before any voice");
            for (std::size_t i = 1; i < w.size(); ++i) {
                const std::string& note = w[i];
                if (note == "|") continue;
                const auto slash = note.find('/');
                if (slash == std::string::npos) fail(where, "a note needs a length: " + note);
                std::string len = note.substr(slash + 1);
                const bool dotted = !len.empty() && len.back() == '.';
                if (dotted) len.pop_back();
                const double division = number(len, where);
                if (division <= 0) fail(where, "a length must be above 0: " + note);
                const double beats = 4 / division * (dotted ? 1.5 : 1);
                const std::string name = note.substr(0, slash);
                voices.back().notes.push_back({name == "r" ? NAN : noteOffset(name, where), beats});
            }
        } else {
            fail(where, "expected tempo, bars, loop, voice or notes");
        }
    }
    if (tempo <= 0 || bars <= 0 || bars > 128) fail(source, "needs a tempo and 1 to 128 bars");
    const double beatSeconds = 60 / tempo;
    const double length = bars * 4 * beatSeconds + (loop ? 0 : 1.5);
    std::vector<double> out(static_cast<std::size_t>(length * rate), 0.0);
    for (const Voice& v : voices) {
        if (v.notes.empty()) continue;
        double beat = 0;
        for (std::size_t k = 0; beat < bars * 4; k = (k + 1) % v.notes.size()) {
            const auto [offset, beats] = v.notes[k];
            if (!std::isnan(offset)) {
                Sound s = v.sound;
                s.from = s.to = 440;
                render(s, beats * beatSeconds * 0.9, offset, out,
                       static_cast<long long>(beat * beatSeconds * rate), rate, loop);
            }
            beat += beats;
        }
    }
    writeWav(target, out, rate, !loop);
}

// Reads back a WAV this tool wrote: its rate and its samples.
std::vector<std::int16_t> readWav(const std::string& path, int& rate) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0) fail(path, "not a WAV of ours");
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    rate = static_cast<int>(u32(24));
    std::vector<std::int16_t> samples((bytes.size() - 44) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[44 + 2 * i]) |
                                               static_cast<unsigned char>(bytes[45 + 2 * i]) << 8);
    return samples;
}

void sheet(const std::string& target, const std::vector<std::string>& inputs) {
    constexpr int rate = 48000;
    std::vector<double> out;
    for (const std::string& path : inputs) {
        int from = 0;
        const auto samples = readWav(path, from);
        // Nearest-sample resampling is plenty for listening through.
        const std::size_t n = samples.size() * rate / static_cast<std::size_t>(from);
        for (std::size_t i = 0; i < n; ++i)
            out.push_back(samples[i * static_cast<std::size_t>(from) / rate] / 32767.0);
        out.insert(out.end(), rate * 2 / 5, 0.0);
        const auto slash = path.find_last_of('/');
        std::printf("%s\n", path.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
    }
    writeWav(target, out, rate, false);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "effect" && argc == 4) {
        effect(argv[2], argv[3]);
    } else if (command == "score" && argc == 4) {
        score(argv[2], argv[3]);
    } else if (command == "sheet" && argc >= 4) {
        sheet(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    } else {
        std::fprintf(stderr,
                     "usage: synth effect SOURCE.sound OUT.wav\n"
                     "       synth score SOURCE.score OUT.wav\n"
                     "       synth sheet OUT.wav IN.wav...\n");
        return 2;
    }
    return 0;
}
