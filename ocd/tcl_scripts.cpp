// SPDX-License-Identifier: MIT
#include "ocd/tcl_scripts.h"

namespace {

std::string replaced(std::string text, const std::string& mark, const std::string& value)
{
    for (size_t at; (at = text.find(mark)) != std::string::npos;)
        text.replace(at, mark.size(), value);
    return text;
}

// The claim: {token, time of its run's last request, who}.
constexpr const char* claim_text = R"tcl(
set _now [clock milliseconds]
if {[info exists ::vexload_claim] && [lindex $::vexload_claim 0] ne {@TOKEN@}
    && $_now - [lindex $::vexload_claim 1] < @STALE@} {
  format {held %s %d} [lindex $::vexload_claim 2] [expr {$_now - [lindex $::vexload_claim 1]}]
} else {
  set ::vexload_claim [list {@TOKEN@} $_now {@WHO@}]
  concat
})tcl";

// A scan list is a list of {i V} (instruction scan), {d V F} (data scan of
// 32 bits V and final bit F) and {w N} (N clocks in Run-Test/Idle).
// vexload_scans: the scans in order; with strict, the first data scan whose
// status bit is set stops them ("status K"); else "ok LAST". vexload_until:
// the scans `first` once, then `scans` again every `every` ms until the last
// result masked is `value` or has a bit of `also` set, for at most `limit` ms
// and `count` times (0: any): "reads N LAST". vexload_svf: `first`, then an
// SVF file played by OpenOCD's player on its own side: "passed" or "failed
// LINE READ" for the first check that failed. vexload_collect: `first`,
// then `scans` count times: "values N DATA...", the result of every read.
constexpr const char* procedures_text = R"tcl(
proc vexload_alive {} {
  if {![info exists ::vexload_claim] || [lindex $::vexload_claim 0] ne {@TOKEN@}} {
    error {this run's claim on OpenOCD is gone}
  }
  lset ::vexload_claim 1 [clock milliseconds]
}
proc vexload_scans {tap strict scans} {
  set k 0
  set last {}
  foreach s $scans {
    switch -- [lindex $s 0] {
      i { irscan $tap [lindex $s 1] }
      w { runtest [lindex $s 1] }
      d {
        set r [drscan $tap 32 [lindex $s 1] 1 [lindex $s 2]]
        if {$strict && ("0x[lindex $r 1]" & 1)} { return "status $k" }
        set last [lindex $r 0]
        incr k
      }
    }
  }
  return "ok $last"
}
proc vexload_first {tap first} {
  if {$first eq {}} { return {} }
  set r [vexload_scans $tap 1 $first]
  if {[lindex $r 0] ne {ok}} { return "first $r" }
  return {}
}
proc vexload_do {tap strict scans} {
  vexload_alive
  vexload_scans $tap $strict $scans
}
proc vexload_until {tap first scans mask value also every limit count} {
  vexload_alive
  set f [vexload_first $tap $first]
  if {$f ne {}} { return $f }
  set end [expr {[clock milliseconds] + $limit}]
  set n 0
  while 1 {
    set r [vexload_scans $tap 1 $scans]
    if {[lindex $r 0] ne {ok}} { return $r }
    incr n
    set v "0x[lindex $r 1]"
    if {($v & $mask) == $value || ($v & $also) != 0 || ($count > 0 && $n >= $count)
        || [clock milliseconds] >= $end} { return "reads $n [lindex $r 1]" }
    if {$every > 0} {
      sleep $every
      vexload_alive
    }
  }
}
proc vexload_collect {tap first scans count} {
  vexload_alive
  set f [vexload_first $tap $first]
  if {$f ne {}} { return $f }
  set values {}
  set k 0
  for {set n 0} {$n < $count} {incr n} {
    foreach s $scans {
      switch -- [lindex $s 0] {
        i { irscan $tap [lindex $s 1] }
        d {
          set r [drscan $tap 32 [lindex $s 1] 1 [lindex $s 2]]
          if {"0x[lindex $r 1]" & 1} { return "status $k" }
          if {![lindex $s 2]} { lappend values [lindex $r 0] }
          incr k
        }
      }
    }
  }
  return "values [llength $values] $values"
}
proc vexload_svf {tap first text} {
  vexload_alive
  set f [vexload_first $tap $first]
  if {$f ne {}} { return $f }
  if {![info exists ::vexload_file]} { set ::vexload_file [file tempfile] }
  set f [open $::vexload_file w]
  puts -nonewline $f $text
  close $f
  set failed [catch {capture "svf -tap $tap $::vexload_file -quiet"} m]
  vexload_alive
  if {!$failed} { return passed }
  set line 0
  set read {}
  regexp {line ([0-9]+)} $m -> line
  regexp {READ = (0x[0-9a-fA-F]+)} $m -> read
  return "failed $line $read"
}
proc vexload_adapter {command} {
  vexload_alive
  set m [capture $command]
  if {[string match -nocase *error* $m]} { return "!adapter $m" }
  return {}
}
concat)tcl";

constexpr const char* setup_query_text =
    R"tcl(join [list [jtag names] [string map {"\n" ";"} [scan_chain]] [reset_config] [adapter name]] { | })tcl";

constexpr const char* release_text = R"tcl(
if {[info exists ::vexload_claim] && [lindex $::vexload_claim 0] eq {@TOKEN@}} {
  unset ::vexload_claim
  if {[info exists ::vexload_file]} { catch {file delete $::vexload_file}; unset ::vexload_file }
}
concat)tcl";

} // namespace

std::string claim_script(const std::string& token, const std::string& who)
{
    return replaced(replaced(replaced(claim_text, "@TOKEN@", token), "@WHO@", who), "@STALE@",
                    std::to_string(claim_stale_ms));
}

std::string procedures_script(const std::string& token)
{
    return replaced(procedures_text, "@TOKEN@", token);
}

std::string setup_query_script()
{
    return setup_query_text;
}

std::string release_script(const std::string& token)
{
    return replaced(release_text, "@TOKEN@", token);
}

// OpenOCD's Tcl server sends the result of whatever ends with the exit code
// and writes nothing of it into its log.
std::string guarded(const std::string& script)
{
    return "set _c [catch {" + script + "} _m]; if {$_c} {set _m [format {!%d %s} $_c $_m]}; "
           "return -level 0 -code exit $_m";
}
