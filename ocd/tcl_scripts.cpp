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

// vexload_do: scans of the run; "" when every checked status bit is clear
// and no result is wanted or the last one is as expected (mask -1: the
// results are wanted). vexload_until: the same scans again every `every` ms
// until the last result is as expected ("") or has a bit of `also` set, for
// at most `limit` ms and `count` times (0: any); else "N RESULTS", N the
// times it ran them ("0 RESULTS": the scans `first`, run once before, had a
// status bit set). vexload_svf: the scans `first` (what waited, and the
// status of the run's last write), then a batch of queued scans played by
// the SVF player from a file on OpenOCD's side; "?LINE READ" names the first
// check that failed.
constexpr const char* procedures_text = R"tcl(
proc vexload_alive {} {
  if {![info exists ::vexload_claim] || [lindex $::vexload_claim 0] ne {@TOKEN@}} {
    error {this run's claim on OpenOCD is gone}
  }
  lset ::vexload_claim 1 [clock milliseconds]
}
proc vexload_clear {r} {
  foreach {v s} $r { if {"0x$s" != 0} { return 0 } }
  return 1
}
proc vexload_do {strict mask value scans} {
  vexload_alive
  set r [eval "concat $scans"]
  if {$strict && ![vexload_clear $r]} { return $r }
  if {$mask == -1} { return $r }
  if {$mask == 0 || ("0x[lindex $r end-1]" & $mask) == $value} { return {} }
  return $r
}
proc vexload_until {mask value also every limit count first scans} {
  vexload_alive
  if {$first ne {}} {
    set r [eval "concat $first"]
    if {![vexload_clear $r]} { return "0 $r" }
  }
  set end [expr {[clock milliseconds] + $limit}]
  set n 0
  while 1 {
    set r [eval "concat $scans"]
    incr n
    if {![vexload_clear $r]} { return "$n $r" }
    set v "0x[lindex $r end-1]"
    if {($v & $mask) == $value} { return {} }
    if {($v & $also) != 0 || ($count > 0 && $n >= $count) || [clock milliseconds] >= $end} { return "$n $r" }
    if {$every > 0} {
      sleep $every
      vexload_alive
    }
  }
}
proc vexload_svf {tap options first text} {
  vexload_alive
  if {$first ne {}} {
    set r [eval "concat $first"]
    if {![vexload_clear $r]} { return $r }
  }
  if {![info exists ::vexload_file]} { set ::vexload_file [file tempfile] }
  set f [open $::vexload_file w]
  puts -nonewline $f $text
  close $f
  set failed [catch {capture "svf -tap $tap $::vexload_file -quiet $options"} m]
  vexload_alive
  if {!$failed} { return {} }
  set line 0
  set read {}
  regexp {line ([0-9]+)} $m -> line
  regexp {READ = (0x[0-9a-fA-F]+)} $m -> read
  return "?$line $read"
}
proc vexload_adapter {command} {
  vexload_alive
  set m [capture $command]
  if {[string match -nocase *error* $m]} { return "!adapter $m" }
  return {}
}
concat)tcl";

constexpr const char* setup_query_text =
    R"tcl(join [list [jtag names] [string map {"\n" ";"} [scan_chain]] [reset_config] [string match *-noreset* [capture {usage svf}]]] { | })tcl";

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

std::string guarded(const std::string& script)
{
    return "set _c [catch {" + script + "} _m]; if {$_c} {format {!%d %s} $_c $_m} else {set _m}";
}
