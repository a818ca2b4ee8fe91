# bash completion for korrin-cli: its subcommands, each one's flags and the values they take.
# The packaging tests compare each "flags=" list with "korrin-cli <subcommand> --help".

_korrin_cli() {
  local cur prev words cword
  _init_completion || return

  local command=${words[1]-}
  [[ $command == settings && $cword -gt 2 ]] && command="settings ${words[2]}"

  local flags
  case $command in
    generate) flags="--help --ranges --example --settings --stored --all --total --each --random --seed --usable --unique --exclude --exclude-file --ports --brackets --names --counter-symbol --first --step --digits --delimiter --country --field --mmdb --output --join --quiet --count --shard --max-lines" ;;
    reverse) flags="--help --server --unresolved --timeout --parallel --rate --retries --reasons --delimiter --settings" ;;
    settings) flags="--help" ;;
    "settings list") flags="--help" ;;
    "settings show") flags="--help --settings" ;;
    count) flags="--help --no-header --cell-line-breaks --backslash-escapes --delimiter --find --match-case" ;;
    preview) flags="--help --max-rows --from --no-header --cell-line-breaks --backslash-escapes --delimiter" ;;
    lookup) flags="--help --mmdb --field --prefix --network --reasons --json" ;;
    mmdb-meta) flags="--help" ;;
    *) flags="--help --version" ;;
  esac

  case $prev in
    --ranges | --settings | --exclude-file | --output | --unresolved)
      _filedir
      return
      ;;
    --mmdb)
      _filedir mmdb
      return
      ;;
    --join)
      mapfile -t COMPREPLY < <(compgen -W "eol comma semicolon" -- "$cur")
      return
      ;;
    --delimiter)
      case ${words[1]} in
        count | preview) mapfile -t COMPREPLY < <(compgen -W "auto comma semicolon pipe tab" -- "$cur") ;;
        *) mapfile -t COMPREPLY < <(compgen -W "whitespace tab comma semicolon" -- "$cur") ;;
      esac
      return
      ;;
    --stored | --total | --each | --seed | --exclude | --ports | --names | --counter-symbol | --first | --step | \
      --digits | --server | --timeout | --max-rows | --shard | --max-lines | --parallel | --rate | --retries | --from | --find)
      return
      ;;
  esac

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$flags" -- "$cur")
  elif [[ $cword -eq 1 ]]; then
    mapfile -t COMPREPLY < <(compgen -W "generate reverse settings count preview lookup mmdb-meta" -- "$cur")
  elif [[ $command == settings ]]; then
    mapfile -t COMPREPLY < <(compgen -W "list show" -- "$cur")
  else
    case $command in
      generate | lookup | "settings show") ;;  # range lines, addresses, a set's name
      *) _filedir ;;
    esac
  fi
} && complete -F _korrin_cli korrin-cli
