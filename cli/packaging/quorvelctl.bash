# bash completion for quorvelctl: its commands, each command's options, and the values the options take.
_quorvelctl() {
  local cur prev command i
  COMPREPLY=()
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  local commands="list read set save apply selftest send firmware"
  command=""
  for ((i = 1; i < COMP_CWORD; i++)); do
    case " $commands " in *" ${COMP_WORDS[i]} "*) command=${COMP_WORDS[i]}; break ;; esac
  done

  local choosing="-p --printer --serial --location --device --wait"
  case $prev in
    --device | --file) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    -p | --printer)
      # The printers attached: their numbers, locations and serials.
      COMPREPLY=($(compgen -W "$(quorvelctl list 2>/dev/null |
        awk -F'\t' '{ print $1; if ($5 != "-") print $5; if ($6 != "-") print $6 }')" -- "$cur"))
      return ;;
    --serial | --location)
      # `list` shows the location in its fifth column and the serial in its sixth.
      local column=6
      [[ $prev == --location ]] && column=5
      COMPREPLY=($(compgen -W "$(quorvelctl list 2>/dev/null |
        awk -F'\t' -v column=$column '$column != "-" { print $column }')" -- "$cur"))
      return ;;
    --sensor) COMPREPLY=($(compgen -W "gap black_mark continuous" -- "$cur")); return ;;
    --front-sensor) COMPREPLY=($(compgen -W "fitted absent" -- "$cur")); return ;;
    --power) COMPREPLY=($(compgen -W "external internal" -- "$cur")); return ;;
    --lang) COMPREPLY=($(compgen -W "en zh" -- "$cur")); return ;;
    --driver-compatibility | --usb-handshake | --speed-limit | --head-protection | --constant-density | \
      --front-sensor-off) COMPREPLY=($(compgen -W "on off" -- "$cur")); return ;;
    --wait | --timeout | --settle | --offset | --hex | --text) return ;;
  esac

  local options
  case $command in
    "") COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur")); return ;;
    list) options="--json" ;;
    read) options="$choosing --timeout --json --lang" ;;
    set) options="$choosing --all --timeout --sensor --driver-compatibility --usb-handshake --speed-limit
                  --front-sensor --power --head-protection --offset --constant-density --front-sensor-off --settle
                  --no-verify --dry-run --json" ;;
    save) options="$choosing --timeout" ;;
    apply) options="$choosing --all --timeout --settle --no-verify --dry-run --force --json" ;;
    selftest) options="$choosing --timeout" ;;
    send) options="$choosing --timeout --hex --text --file" ;;
    firmware) options="$choosing --timeout -y --yes" ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
  elif [[ $command == save || $command == apply || $command == firmware ]]; then
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
}
complete -F _quorvelctl quorvelctl
