# bash completion for rondel, rondel-cli and rondel-radiosim             -*- shell-script -*-
#
# One file for the three programs: it is installed as rondel, with rondel-cli and
# rondel-radiosim as links to it, so whichever is completed first loads it. It needs nothing
# from the bash-completion package. The options (and rondel-cli's commands) are read from the
# program's own --help, so the completion offers what the installed program knows: every word
# that begins with "--" there, and for rondel-cli the first word of each line indented by two
# spaces under the "commands:" heading of its help, and a command's options from its own help.

# _rondel_files EXT: the folders and the *.EXT files that begin with the current word.
_rondel_files()
{
    local cur=${COMP_WORDS[COMP_CWORD]} IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X "!*.$1" -- "$cur"))
    compopt -o filenames 2>/dev/null
}

# _rondel_options PROGRAM: the long options PROGRAM's --help names.
_rondel_options()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=($(compgen -W "$("$1" --help 2>/dev/null | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)" -- "$cur"))
}

_rondel()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        --print-to-pdf) _rondel_files pdf; return ;;
    esac
    if [[ $cur == -* ]]; then
        _rondel_options "${COMP_WORDS[0]}"
    else
        _rondel_files dig
    fi
}

_rondel_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local program=${COMP_WORDS[0]} command= files=0 i
    case $prev in
        --ini) _rondel_files ini; return ;;
        --lang) _rondel_files lang; return ;;
        -o|--output|--from) _rondel_files dig; return ;;
        --device) COMPREPLY=($(compgen -f -- "${cur:-/dev/tty}")); return ;;
        --port|--model|--password) return ;;
    esac
    # The first word that is neither an option nor an option's value names the command.
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --ini|--lang|-o|--output|--from|--device|--port|--model|--password) ((i++)) ;;
            -*) ;;
            *) if [[ -z $command ]]; then command=${COMP_WORDS[i]}; else ((files++)); fi ;;
        esac
    done
    if [[ $cur == -* ]]; then
        # A command's own help names its options.
        if [[ -n $command ]]; then
            COMPREPLY=($(compgen -W "$("$program" help "$command" 2>/dev/null |
                grep -o -- '--[a-z][a-z0-9-]*' | sort -u)" -- "$cur"))
        else
            _rondel_options "$program"
        fi
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$("$program" --help 2>/dev/null |
            sed -n '/^commands:$/,/^[^ ].*:$/s/^  \([a-z][a-z0-9-]*\)\( .*\)\{0,1\}$/\1/p')" -- "$cur"))
    elif [[ $command == help && $files -eq 0 ]]; then
        COMPREPLY=($(compgen -W "$("$program" --help 2>/dev/null |
            sed -n '/^commands:$/,/^[^ ].*:$/s/^  \([a-z][a-z0-9-]*\)\( .*\)\{0,1\}$/\1/p')" -- "$cur"))
    elif [[ $command == import && $files -eq 1 ]]; then
        _rondel_files csv
    else
        _rondel_files dig
    fi
}

_rondel_radiosim()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        --load|--save) _rondel_files dig; return ;;
        --link) COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames 2>/dev/null; return ;;
    esac
    [[ $cur == -* ]] && _rondel_options "${COMP_WORDS[0]}"
}

complete -F _rondel rondel
complete -F _rondel_cli rondel-cli
complete -F _rondel_radiosim rondel-radiosim
