# bash completion for veridane: its options, the test names for --run and the shipped benches
# for --bench. Installed as share/bash-completion/completions/veridane; from a source tree,
# source it by hand: . src/app/veridane-completion.bash

_veridane() {
  # Readline splits words at ":", so "sim:scope" arrives as "sim" ":" "scope"; join them again.
  local cur prev i=$COMP_CWORD
  cur="${COMP_WORDS[i]}"
  if [[ "$cur" == ":" ]]; then
    cur="${COMP_WORDS[i-1]}:"
    ((i--))
  elif ((i >= 2)) && [[ "${COMP_WORDS[i-1]}" == ":" ]]; then
    cur="${COMP_WORDS[i-2]}:$cur"
    ((i -= 2))
  fi
  prev="${COMP_WORDS[i-1]}"

  local options="--help --bench --list-benches --list-adapters --doctor --headless --run --answers --manual --technician --trace --log --append
    --serial --id --operator --comments --print --version --parlex --script
    --no-results --results --test --csv --import --log-text --standards --standard --allow-overdue --as-found --as-left
    --temperature --humidity --customer --asset --certificate --partial --json --junit
    --repeats --decision-rule --explain"
  local tests="selfcal offset dcv bandwidth samplerate trigger"
  local benches="bandwidth-fault default fluke-generator gain-fault garbled-calibrator missing-comp-file
    long-error-log missing-scanner-file offset-fault scope-only selfcal-fault silent-generator sme-generator tds310 tds320
    tds340 tds340a tds350 tds360 tds380 timebase-fault trigger-fault vanishing-generator"

  case "$prev" in
    --bench)
      local texts="sim" name
      for name in $benches; do texts="$texts sim:$name"; done
      # The GPIB boards and adapters in the forms the program's --help lists (it declares them
      # once): what comes before the first colon(s), e.g. "prologix-tcp:" or "GPIB0::".
      texts="$texts $("${COMP_WORDS[0]}" --help 2>/dev/null |
        awk 'substr($0, 1, 26) ~ /^ +$/ && $1 ~ /:/ { print $1 }' | sed -E 's/^([^:]*:+).*/\1/')"
      COMPREPLY=($(compgen -W "$texts" -- "$cur") $(compgen -f -X '!*.toml' -- "$cur") $(compgen -d -- "$cur"))
      # Readline replaces only the part after the last colon.
      local typed="${cur%"${cur##*:}"}"
      if [[ -n "$typed" && "$COMP_WORDBREAKS" == *:* ]]; then
        COMPREPLY=("${COMPREPLY[@]#"$typed"}")
      fi
      return
      ;;
    --run)
      # A comma-separated list: complete the name after the last comma.
      local done="" last="$cur"
      if [[ "$cur" == *,* ]]; then
        done="${cur%,*},"
        last="${cur##*,}"
      fi
      local words="$tests"
      [[ -z "$done" ]] && words="full errorlog $tests"
      COMPREPLY=($(compgen -P "$done" -W "$words" -- "$last"))
      return
      ;;
    --technician)
      COMPREPLY=($(compgen -W "virtual none" -- "$cur"))
      return
      ;;
    --decision-rule)
      COMPREPLY=($(compgen -W "simple guarded" -- "$cur"))
      return
      ;;
    --test)
      COMPREPLY=($(compgen -W "$tests" -- "$cur"))
      return
      ;;
    --import|--log-text)
      COMPREPLY=($(compgen -f -X '!*.[lL][oO][gG]' -- "$cur") $(compgen -d -- "$cur"))
      return
      ;;
    --standards)
      COMPREPLY=($(compgen -f -X '!*.toml' -- "$cur") $(compgen -d -- "$cur"))
      return
      ;;
    --certificate)
      COMPREPLY=($(compgen -f -X '!*.[pP][dD][fF]' -- "$cur") $(compgen -d -- "$cur"))
      return
      ;;
    --answers | --trace | --csv | --script | --json | --junit)
      COMPREPLY=($(compgen -f -- "$cur"))
      return
      ;;
  esac

  if [[ "$cur" == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  fi
}
complete -o filenames -F _veridane veridane
