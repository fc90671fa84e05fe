#!/usr/bin/env bash
# The inside of scripts/demo.sh, run in the demo prefix (WINEPREFIX) with the
# mail servers up (TVR_MAIL_DIR):
#
#   demo-machine.sh DEMO-FOLDER TVRemover.exe PROGRAMS-FOLDER
set -uo pipefail
demo=$1 exe=$2 programs=$3
top=$(cd "$(dirname "$0")/.." && pwd)
summary() { /usr/bin/python3 "$top/scripts/machine-summary.py" "$@"; }
stand_ins=(--program "$programs/suite_service/CorvaneSuiteService.exe"
           --program "$programs/suite_tray/CorvaneTray.exe"
           --program "$programs/suite_tools/Pellane2.exe"
           --program "$programs/suite_config_writer/suite_config_writer.exe")

echo "demo: installing Tarvello 1.4.22 and the Pellane suite ..."
summary seed "${stand_ins[@]}" || exit 1
summary snapshot "$demo/before.json" || exit 1
summary start "${stand_ins[@]}" || exit 1

# A user at the screen: "Yes" to the offer, an address if one is asked for
# (the suite's settings usually give one), OK to the outcome.
helper() {  # output file, then the helper's command line
  local out=$1; shift
  wine "$@" </dev/null >"$out" 2>/dev/null &
  helpers+=($!)
}
helpers=()
helper "$demo/question.txt" "$programs/answer_box/answer_box.exe" "Orvanta support" 6 3600000
helper "$demo/prompt.txt" "$programs/answer_prompt/answer_prompt.exe" demo@tvremover.example 3600000
helper "$demo/outcome.txt" "$programs/answer_box/answer_box.exe" "Log file submitted" 1 3600000

echo "demo: running TVRemover.exe; its console follows"
echo "--------------------------------------------------------------------------------"
cd "$demo/folder"
wine "$exe" </dev/null
code=$?
echo "--------------------------------------------------------------------------------"
for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
temp=$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')
temp_log=$(winepath -u "$temp" 2>/dev/null | sed "s,/dosdevices/c:/,/drive_c/,")/TVRemover.log.txt
summary snapshot "$demo/after.json"
mkdir -p "$demo/mail"
cp -r "$TVR_MAIL_DIR/maildir" "$demo/mail/" 2>/dev/null

echo
echo "demo: TVRemover.exe ended with exit code $code"
[ -s "$demo/question.txt" ] && echo "demo: asked \"$(tr -d '\r' <"$demo/question.txt")\" - answered Yes"
[ -s "$demo/outcome.txt" ] && echo "demo: then told \"$(tr -d '\r' <"$demo/outcome.txt")\""
echo
echo "================ the machine before and after ================"
summary compare "$demo/before.json" "$demo/after.json"
echo "=============================================================="
echo
echo "demo: log beside the tool:      $demo/folder/TVRemover.log.txt"
echo "demo: log in the temp folder:   $temp_log"
messages=$(ls "$demo/mail/maildir/new" 2>/dev/null | wc -l)
for message in "$demo"/mail/maildir/new/*; do
  [ -f "$message" ] && echo "demo: message received:         $message"
done
[ "$messages" = 0 ] && echo "demo: no message reached the mail server"
echo "demo: snapshots:                $demo/before.json $demo/after.json"
echo "demo: the machine stays:        WINEPREFIX=$demo/prefix wine ..."
exit $code
