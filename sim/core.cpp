// SPDX-License-Identifier: MIT
#include "sim/core.h"

#include <cstring>

#include "sim/bus.h"
#include "sim/decode.h"
#include "sim/events.h"
#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/spr_table.h"

namespace sim {

namespace {

struct core_state {
    uint32_t gpr[32];
    uint32_t cr;
    uint32_t msr;
    uint32_t spr[1024];
    uint32_t dcr[1024];
};

core_state core;

constexpr uint32_t msr_pr = 0x00004000; // problem (user) state
constexpr uint32_t xer_so = 0x80000000;
constexpr uint32_t xer_ov = 0x40000000;
constexpr uint32_t xer_implemented = 0xE000007F; // SO, OV, CA and the string byte count
constexpr uint32_t cr0_lt = 0x80000000, cr0_gt = 0x40000000, cr0_eq = 0x20000000, cr0_so = 0x10000000;

bool user_mode()
{
    return (core.msr & msr_pr) != 0;
}

bool exec_mfspr(uint32_t w)
{
    const uint32_t n = insn_split_number(w);
    const spr_entry& e = spr_lookup(n);
    if (insn_rc(w) || !(e.access & spr_readable) || (spr_privileged(n) && user_mode()))
        return false;
    core.gpr[insn_rt(w)] = core.spr[e.slot];
    return true;
}

bool exec_mtspr(uint32_t w)
{
    const uint32_t n = insn_split_number(w);
    const spr_entry& e = spr_lookup(n);
    if (insn_rc(w) || !(e.access & spr_writable) || (spr_privileged(n) && user_mode()))
        return false;
    uint32_t v = core.gpr[insn_rt(w)];
    event_note(event_kind::spr_write, n, v);
    if (e.access & spr_clear_on_one)
        v = core.spr[e.slot] & ~v;
    else if (e.slot == spr_xer)
        v &= xer_implemented;
    core.spr[e.slot] = v;
    return true;
}

bool exec_mtdcr(uint32_t w)
{
    if (insn_rc(w) || user_mode())
        return false;
    const uint32_t n = insn_split_number(w);
    const uint32_t v = core.gpr[insn_rt(w)];
    event_note(event_kind::dcr_write, n, v);
    core.dcr[n] = v;
    return true;
}

bool exec_mtmsr(uint32_t w)
{
    if (insn_ra(w) || insn_rb(w) || insn_rc(w) || user_mode())
        return false;
    const uint32_t v = core.gpr[insn_rt(w)];
    event_note(event_kind::msr_write, 0, v);
    core.msr = v;
    return true;
}

bool exec_add(uint32_t w)
{
    const uint32_t a = core.gpr[insn_ra(w)];
    const uint32_t b = core.gpr[insn_rb(w)];
    uint32_t sum = a + b;
    if (faults.bad_adder)
        sum ^= 1; // the lowest sum bit comes out inverted
    uint32_t& xer = core.spr[spr_xer];
    if (insn_oe(w)) {
        // Signed overflow: operands of one sign, sum of the other.
        if (~(a ^ b) & (a ^ sum) & 0x80000000)
            xer |= xer_so | xer_ov;
        else
            xer &= ~xer_ov;
    }
    if (insn_rc(w)) {
        const int32_t s = static_cast<int32_t>(sum);
        const uint32_t field = (s < 0 ? cr0_lt : s > 0 ? cr0_gt : cr0_eq) | ((xer & xer_so) ? cr0_so : 0);
        core.cr = (core.cr & 0x0FFFFFFF) | field;
    }
    core.gpr[insn_rt(w)] = sum;
    return true;
}

uint32_t effective_address(uint32_t w)
{
    const uint32_t ra = insn_ra(w);
    return (ra ? core.gpr[ra] : 0) + static_cast<uint32_t>(insn_d(w));
}

// The D-form loads and stores the core knows, by primary opcode.
struct d_form_access {
    uint32_t primary;
    unsigned width;
    bool load;
    bool update; // the effective address goes back to rA
};

constexpr d_form_access d_form_accesses[] = {
    {op_stw, 4, false, false}, {op_stwu, 4, false, true}, {op_sth, 2, false, false},
    {op_lhz, 2, true, false},  {op_lhzu, 2, true, true},  {op_lwzu, 4, true, true},
};

// The update forms write the effective address back to rA; rA = 0 makes
// them invalid, and for a load so does rA = rD.
bool update_form_valid(uint32_t w, bool load)
{
    return insn_ra(w) != 0 && !(load && insn_ra(w) == insn_rt(w));
}

bool exec_store(uint32_t w, unsigned width, bool update)
{
    if (update && !update_form_valid(w, false))
        return false;
    const uint32_t address = effective_address(w);
    const uint32_t v = width == 4 ? core.gpr[insn_rt(w)] : core.gpr[insn_rt(w)] & 0xFFFF;
    if (!bus_store(address, v, width))
        return false;
    event_note(event_kind::store, address, v, static_cast<uint8_t>(width));
    if (update)
        core.gpr[insn_ra(w)] = address;
    return true;
}

// Zero-extended into rD.
bool exec_load(uint32_t w, unsigned width, bool update)
{
    if (update && !update_form_valid(w, true))
        return false;
    const uint32_t address = effective_address(w);
    uint32_t v;
    if (!bus_load(address, width, v))
        return false;
    core.gpr[insn_rt(w)] = v;
    if (update)
        core.gpr[insn_ra(w)] = address;
    return true;
}

// addi rD, rA, SIMM: rA = 0 reads as the number 0, not r0.
bool exec_addi(uint32_t w)
{
    const uint32_t ra = insn_ra(w);
    core.gpr[insn_rt(w)] = (ra ? core.gpr[ra] : 0) + static_cast<uint32_t>(insn_d(w));
    return true;
}

// lmw rD, d(rA): rD to r31 from the words at EA on. The form is invalid
// where rA is among the registers loaded, and the address must be a word's.
bool exec_lmw(uint32_t w)
{
    const uint32_t first = insn_rt(w);
    if (insn_ra(w) >= first)
        return false;
    uint32_t address = effective_address(w);
    if ((address & 3) != 0)
        return false;
    for (uint32_t r = first; r < 32; ++r, address += 4) {
        uint32_t v;
        if (!bus_load(address, 4, v))
            return false;
        core.gpr[r] = v;
    }
    return true;
}

bool exec_x_form(uint32_t w)
{
    if (insn_xo9(w) == xo9_add)
        return exec_add(w);
    switch (insn_xo10(w)) {
    case xo_mfspr:
        return exec_mfspr(w);
    case xo_mtspr:
        return exec_mtspr(w);
    case xo_mtdcr:
        return exec_mtdcr(w);
    case xo_mtmsr:
        return exec_mtmsr(w);
    default:
        return false;
    }
}

} // namespace

void core_power_on()
{
    std::memset(&core, 0, sizeof core);
}

uint32_t core_ddr()
{
    return core.spr[spr_dbdr];
}

void core_set_ddr(uint32_t value)
{
    core.spr[spr_dbdr] = value;
}

bool core_execute(uint32_t word)
{
    // no-execute: the word never takes effect, and nothing reports it.
    if (faults.no_execute)
        return true;
    const uint32_t primary = insn_primary(word);
    if (primary == op_x_form)
        return exec_x_form(word);
    if (primary == op_addi)
        return exec_addi(word);
    if (primary == op_lmw)
        return exec_lmw(word);
    for (const d_form_access& a : d_form_accesses)
        if (a.primary == primary)
            return a.load ? exec_load(word, a.width, a.update) : exec_store(word, a.width, a.update);
    return false;
}

void core_run_own_code(uint64_t n)
{
    core.gpr[n % 32] = 0xC0DE0000u | static_cast<uint32_t>(n & 0xFFFF);
}

uint32_t core_gpr(unsigned n)
{
    return core.gpr[n & 31];
}

void core_set_gpr(unsigned n, uint32_t value)
{
    core.gpr[n & 31] = value;
}

uint32_t core_spr(unsigned n)
{
    return core.spr[spr_lookup(n).slot];
}

uint32_t core_dcr(unsigned n)
{
    return core.dcr[n & 0x3FF];
}

uint32_t core_msr()
{
    return core.msr;
}

uint32_t core_cr()
{
    return core.cr;
}

} // namespace sim
