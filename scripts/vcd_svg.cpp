// SPDX-License-Identifier: MIT
// Draws one debug exchange of a vexload-sim waveform as an SVG picture: the
// five cable lines, the TAP states a logic analyser would decode from TCK and
// TMS, the bits shifted in and out, and what the exchange carried.
//
//   vcd_svg IN.vcd OUT.svg --after NS [--skip K] [--title TEXT]
//
// Picks the (K+1)-th exchange (Run-Test/Idle to Run-Test/Idle through
// Update-DR) that starts after NS nanoseconds of simulated time.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sim/tap.h"

namespace {

// Rows in drawing order; rst is drawn and never read.
constexpr int sig_tck = 0, sig_tms = 1, sig_tdi = 2, sig_tdo = 3, signal_count = 5;
const char* const signal_names[signal_count] = {"tck", "tms", "tdi", "tdo", "rst"};

using levels = std::array<int, signal_count>;

struct change {
    uint64_t time;
    levels after;
};

using sim::tap_state;
using enum sim::tap_state;

// Short names for states too narrow to bear the standard's, in the order of
// the controller's states.
const char* const state_abbreviations[sim::tap_state_count] = {"TLR", "RTI", "Sel", "Cap", "Shift", "Ex1", "Pau",
    "Ex2", "Upd", "Sel", "Cap", "Shift", "Ex1", "Pau", "Ex2", "Upd"};

// One TCK period: from its rising edge to the next one.
struct clock_period {
    uint64_t rise;
    tap_state state; // the state during which this edge sampled TMS and TDI
    int tdi;
    int tdo; // as the PC reads it, at the end of the high half
};

struct exchange {
    size_t first_period; // index into the periods
    size_t last_period;
};

bool read_vcd(const std::string& path, std::vector<change>& changes)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::map<std::string, int> ids;
    std::string word;
    uint64_t unit_ns = 1; // the timescale, as 1, 10 or 100 of ns, us or ms
    // Header: $timescale N UNIT $end, $var wire 1 ID name $end
    while (in >> word && word != "$enddefinitions") {
        if (word == "$timescale") {
            std::string scale;
            in >> scale;
            const uint64_t count = std::strtoull(scale.c_str(), nullptr, 10);
            const std::string unit = scale.substr(scale.find_first_not_of("0123456789"));
            unit_ns = count * (unit == "ms" ? 1000000 : unit == "us" ? 1000 : 1);
            continue;
        }
        if (word != "$var")
            continue;
        std::string type, width, id, name;
        in >> type >> width >> id >> name;
        for (int s = 0; s < signal_count; ++s)
            if (name == signal_names[s])
                ids[id] = s;
    }
    levels now{};
    uint64_t time = 0;
    bool have_time = false;
    while (in >> word) {
        if (word[0] == '#') {
            if (have_time)
                changes.push_back({time, now});
            time = std::strtoull(word.c_str() + 1, nullptr, 10) * unit_ns;
            have_time = true;
        } else if (word[0] == '0' || word[0] == '1') {
            const auto it = ids.find(word.substr(1));
            if (it != ids.end())
                now[it->second] = word[0] - '0';
        }
    }
    if (have_time)
        changes.push_back({time, now});
    return !changes.empty();
}

// Walks the TAP from Test-Logic-Reset through every rising edge of TCK.
std::vector<clock_period> decode(const std::vector<change>& changes)
{
    std::vector<clock_period> periods;
    tap_state state = test_logic_reset;
    levels before{};
    before[sig_tdo] = 1;
    bool first = true;
    for (const change& c : changes) {
        if (first) {
            before = c.after;
            first = false;
            continue;
        }
        // The PC reads TDO before it drops TCK: the level just before a falling edge.
        if (before[sig_tck] == 1 && c.after[sig_tck] == 0 && !periods.empty())
            periods.back().tdo = before[sig_tdo];
        if (before[sig_tck] == 0 && c.after[sig_tck] == 1) {
            periods.push_back({c.time, state, before[sig_tdi], before[sig_tdo]});
            state = sim::tap_next(state, before[sig_tms] != 0);
        }
        before = c.after;
    }
    return periods;
}

std::vector<exchange> find_exchanges(const std::vector<clock_period>& periods)
{
    std::vector<exchange> found;
    size_t start = 0;
    bool open = false;
    for (size_t i = 0; i < periods.size(); ++i) {
        const tap_state s = periods[i].state;
        const tap_state next = i + 1 < periods.size() ? periods[i + 1].state : s;
        if (s == run_test_idle && next == select_dr_scan && !open) {
            start = i;
            open = true;
        }
        if (open && s == update_dr && next == run_test_idle) {
            found.push_back({start, i + 1});
            open = false;
        }
    }
    return found;
}

std::string hex(uint64_t value, int digits)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

const char* instruction_name(uint64_t ir)
{
    switch (ir) {
    case 0x2C:
        return "debug control";
    case 0x3C:
        return "execute instruction";
    case 0x5C:
        return "debug data register";
    case 0x7F:
        return "bypass";
    default:
        return "unknown";
    }
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out.push_back(c);
    }
    return out;
}

struct picture {
    uint64_t t0, t1;
    double left = 70, right = 1180, width = 1200;
    double x(uint64_t t) const
    {
        const uint64_t clamped = t < t0 ? t0 : t > t1 ? t1 : t;
        return left + (right - left) * static_cast<double>(clamped - t0) / static_cast<double>(t1 - t0);
    }
};

void draw(std::ostream& svg, const std::vector<change>& changes, const std::vector<clock_period>& periods,
          const exchange& e, const std::string& title)
{
    const uint64_t period_ns = periods[e.first_period + 1].rise - periods[e.first_period].rise;
    picture p;
    p.t0 = periods[e.first_period].rise - period_ns;
    p.t1 = periods[e.last_period].rise + period_ns;

    // What the exchange carried.
    uint64_t ir = 0, dr_in = 0, dr_out = 0;
    int ir_bits = 0, dr_bits = 0;
    for (size_t i = e.first_period; i <= e.last_period; ++i) {
        const clock_period& c = periods[i];
        if (c.state == shift_ir)
            ir |= static_cast<uint64_t>(c.tdi) << ir_bits++;
        if (c.state == shift_dr) {
            dr_in |= static_cast<uint64_t>(c.tdi) << dr_bits;
            dr_out |= static_cast<uint64_t>(c.tdo) << dr_bits;
            ++dr_bits;
        }
    }

    const double state_top = 70, state_height = 26, row_top = 120, row_height = 46, wave = 26;
    const double height = row_top + signal_count * row_height + 84;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << p.width << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << p.width << " " << height
        << "\" font-family=\"DejaVu Sans Mono, monospace\" font-size=\"12\">\n";
    svg << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg << "<text x=\"" << p.left << "\" y=\"24\" font-size=\"15\" font-weight=\"bold\">" << escaped(title)
        << "</text>\n";

    std::string carried;
    if (ir_bits > 0)
        carried += "IR scan " + hex(ir, 2) + " (" + instruction_name(ir) + ", " + std::to_string(ir_bits) +
                   " bits), then ";
    else
        carried += "no IR scan (instruction unchanged), ";
    const uint64_t data_mask = (uint64_t{1} << 32) - 1;
    carried += "DR scan of " + std::to_string(dr_bits) + " bits: in " + hex(dr_in & data_mask, 8) + " final " +
               std::to_string(static_cast<int>((dr_in >> 32) & 1)) + ", out " + hex(dr_out & data_mask, 8) +
               " status " + std::to_string(static_cast<int>((dr_out >> 32) & 1));
    svg << "<text x=\"" << p.left << "\" y=\"46\">" << escaped(carried) << "</text>\n";

    // TAP states along the top, the shift states coloured.
    svg << "<text x=\"8\" y=\"" << state_top + 17 << "\">TAP</text>\n";
    // Edge i starts the state that edge i + 1 samples in.
    for (size_t i = e.first_period - 1; i <= e.last_period && i + 1 < periods.size();) {
        const tap_state state = periods[i + 1].state;
        size_t j = i + 1;
        while (j <= e.last_period && j + 1 < periods.size() && periods[j + 1].state == state)
            ++j;
        const double x0 = p.x(periods[i].rise);
        const double x1 = p.x(periods[j].rise);
        const char* fill = state == shift_dr ? "#cfe3f7" : state == shift_ir ? "#f7dfc4" : "#eeeeee";
        svg << "<rect x=\"" << x0 << "\" y=\"" << state_top << "\" width=\"" << x1 - x0 << "\" height=\""
            << state_height << "\" fill=\"" << fill << "\" stroke=\"#999\" stroke-width=\"0.5\"/>\n";
        const std::string name = sim::tap_state_name(state);
        const std::string abbreviation = state_abbreviations[static_cast<int>(state)];
        if (x1 - x0 > 7.2 * static_cast<double>(name.size()) + 4)
            svg << "<text x=\"" << (x0 + x1) / 2 << "\" y=\"" << state_top + 17 << "\" text-anchor=\"middle\">"
                << name << "</text>\n";
        else if (x1 - x0 > 5.2 * static_cast<double>(abbreviation.size()) + 2)
            svg << "<text x=\"" << (x0 + x1) / 2 << "\" y=\"" << state_top + 16
                << "\" text-anchor=\"middle\" font-size=\"8.5\" fill=\"#444\">" << abbreviation << "</text>\n";
        i = j;
    }

    // Rising edges of TCK as faint lines: where TMS and TDI are sampled.
    for (size_t i = e.first_period; i <= e.last_period; ++i) {
        const double x = p.x(periods[i].rise);
        svg << "<line x1=\"" << x << "\" y1=\"" << state_top + state_height << "\" x2=\"" << x << "\" y2=\""
            << row_top + signal_count * row_height - 10 << "\" stroke=\"#dddddd\" stroke-width=\"0.5\"/>\n";
    }

    // The five lines as step waveforms.
    const char* const colours[signal_count] = {"#222222", "#1f5fbf", "#1b8a3a", "#b3261e", "#7a4fb0"};
    for (int s = 0; s < signal_count; ++s) {
        const double base = row_top + s * row_height + wave;
        svg << "<text x=\"8\" y=\"" << base - wave / 2 + 4 << "\">" << signal_names[s] << "</text>\n";
        svg << "<line x1=\"" << p.left << "\" y1=\"" << base << "\" x2=\"" << p.right << "\" y2=\"" << base
            << "\" stroke=\"#e4e4e4\" stroke-dasharray=\"3,3\"/>\n";
        std::ostringstream path;
        int level = 0;
        for (const change& c : changes)
            if (c.time <= p.t0)
                level = c.after[s];
        path << "M" << p.left << "," << base - level * wave;
        for (const change& c : changes) {
            if (c.time <= p.t0 || c.time >= p.t1 || c.after[s] == level)
                continue;
            const double x = p.x(c.time);
            path << " L" << x << "," << base - level * wave;
            level = c.after[s];
            path << " L" << x << "," << base - level * wave;
        }
        path << " L" << p.right << "," << base - level * wave;
        svg << "<path d=\"" << path.str() << "\" fill=\"none\" stroke=\"" << colours[s]
            << "\" stroke-width=\"1.5\"/>\n";
    }

    // The bits shifted: TDI above its line, TDO above its line, in the shift states.
    for (size_t i = e.first_period; i <= e.last_period; ++i) {
        const clock_period& c = periods[i];
        if (c.state != shift_dr && c.state != shift_ir)
            continue;
        const double mid = p.x(c.rise);
        svg << "<text x=\"" << mid << "\" y=\"" << row_top + sig_tdi * row_height - 2
            << "\" text-anchor=\"middle\" font-size=\"10\" fill=\"" << colours[sig_tdi] << "\">" << c.tdi
            << "</text>\n";
        svg << "<text x=\"" << mid << "\" y=\"" << row_top + sig_tdo * row_height - 2
            << "\" text-anchor=\"middle\" font-size=\"10\" fill=\"" << colours[sig_tdo] << "\">" << c.tdo
            << "</text>\n";
    }

    // Time axis in microseconds from the start of the exchange.
    const double axis = row_top + signal_count * row_height;
    svg << "<line x1=\"" << p.left << "\" y1=\"" << axis << "\" x2=\"" << p.right << "\" y2=\"" << axis
        << "\" stroke=\"#444\"/>\n";
    const uint64_t start = periods[e.first_period].rise;
    const uint64_t span_us = (p.t1 - p.t0) / 1000;
    const uint64_t step_us = span_us > 400 ? 50 : span_us > 150 ? 20 : 10;
    for (uint64_t us = 0; start + us * 1000 <= p.t1; us += step_us) {
        const double x = p.x(start + us * 1000);
        svg << "<line x1=\"" << x << "\" y1=\"" << axis << "\" x2=\"" << x << "\" y2=\"" << axis + 5
            << "\" stroke=\"#444\"/>\n";
        svg << "<text x=\"" << x << "\" y=\"" << axis + 18 << "\" text-anchor=\"middle\">" << us << "</text>\n";
    }
    char when[96];
    std::snprintf(when, sizeof when, "\u00b5s after %.6f s of simulated time (1 \u00b5s per port access)",
                  static_cast<double>(start) / 1e9);
    svg << "<text x=\"" << p.right << "\" y=\"" << axis + 36 << "\" text-anchor=\"end\">" << when << "</text>\n";
    svg << "<text x=\"" << p.left << "\" y=\"" << axis + 56
        << "\" font-size=\"11\" fill=\"#555\">Lines as at the PC end of the cable; tdo is the line level "
           "(the status register shows it inverted); dashed: low level.</text>\n";
    svg << "<text x=\"" << p.left << "\" y=\"" << axis + 72
        << "\" font-size=\"11\" fill=\"#555\">Digits: the bit on tdi and on tdo at each rising TCK edge of a "
           "shift state, first bit (bit 0) left.</text>\n";
    svg << "</svg>\n";
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: vcd_svg IN.vcd OUT.svg --after NS [--skip K] [--title TEXT]\n");
        return 2;
    }
    uint64_t after = 0;
    size_t skip = 0;
    std::string title = "One debug exchange on the virtual box";
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--after")
            after = std::strtoull(argv[i + 1], nullptr, 10);
        else if (option == "--skip")
            skip = std::strtoull(argv[i + 1], nullptr, 10);
        else if (option == "--title")
            title = argv[i + 1];
    }

    std::vector<change> changes;
    if (!read_vcd(argv[1], changes)) {
        std::fprintf(stderr, "vcd_svg: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<clock_period> periods = decode(changes);
    const std::vector<exchange> exchanges = find_exchanges(periods);
    const exchange* chosen = nullptr;
    for (const exchange& e : exchanges) {
        if (periods[e.first_period].rise < after || e.first_period == 0)
            continue;
        if (skip-- == 0) {
            chosen = &e;
            break;
        }
    }
    if (chosen == nullptr) {
        std::fprintf(stderr, "vcd_svg: no such exchange in %s\n", argv[1]);
        return 1;
    }
    std::ofstream svg(argv[2]);
    draw(svg, changes, periods, *chosen, title);
    svg.close();
    if (!svg) {
        std::fprintf(stderr, "vcd_svg: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
