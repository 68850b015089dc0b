# Writes the manual page from the program's own --help text, so the two never disagree.
# cmake -DPROGRAM=<veridane> -DVERSION=<x.y.z> -DOUTPUT=<veridane.1> -P make_manpage.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE usage RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${result}")
endif()
# roff: a backslash is written \e; a line starting with . or ' would be read as a request.
string(REPLACE "\\" "\\e" usage "${usage}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" usage "${usage}")
string(TIMESTAMP today "%Y-%m-%d" UTC)
file(WRITE ${OUTPUT} ".TH VERIDANE 1 \"${today}\" \"Veridane ${VERSION}\" \"User Commands\"
.SH NAME
veridane \\- performance verification of Tektronix TDS 300-series oscilloscopes over GPIB
.SH SYNOPSIS
.B veridane
[\\fIoptions\\fR]
.SH DESCRIPTION
Veridane identifies the scope and the optional bench instruments, runs the verification
tests one by one or as a Full Sequence and shows a result table with PASS, marginal PASS or
FAIL per step. Without \\fB\\-\\-headless\\fR it opens its window; a simulated bench lets it run
without any hardware.
.PP
The text below is the program's own \\fB\\-\\-help\\fR.
.PP
.nf
${usage}.fi
.SH FILES
.TP
.I ~/.config/Veridane/Veridane.ini
per-user settings (section Settings: SkipSplash, Bench, InstrumentData, WindowGeometry,
GpibLibrary, VisaLibrary,
StandardsFile, DecisionRule; section Certificate: LabName, LabAddress, Accreditation, LogoFile, NumberPrefix)
.TP
.I /usr/lib/udev/rules.d/60-veridane-gpib.rules
access to GPIB boards (group gpib) and a Prologix GPIB-USB (the seat's user); see \\fB\\-\\-doctor\\fR
.TP
.I ~/.local/share/Veridane
data folder: per-model result logs and status files, the results database, and
.I standards.toml
(the register of reference standards, when the setting StandardsFile names none)
.SH ENVIRONMENT
.TP
.B NO_COLOR
when set, a headless run on a terminal shows no colours
")
