# bash completion for zanto: commands, each command's options (read from
# `zanto COMMAND --help`, so they are always those of the installed zanto),
# profile names (from `zanto profiles`) and the values of the common options.

# The commands, from the list in `zanto --help`.
_zanto_commands()
{
    "$1" --help 2>/dev/null | sed -n 's/^  zanto \([a-z-]*\).*/\1/p'
}

# The long and short options of one command.
_zanto_options()
{
    "$1" "$2" --help 2>/dev/null | grep -oE '^ +(-[A-Za-z], )?--[a-z0-9-]+' |
        grep -oE -- '-[A-Za-z]\b|--[a-z0-9-]+'
}

# The names of the profiles: the first word of each line of `zanto profiles`.
_zanto_profiles()
{
    "$1" profiles 2>/dev/null | awk 'NF { print $1 }'
}

_zanto()
{
    local cur prev words cword
    _init_completion -n = || return

    local zanto=${words[0]} command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        -*) ;;
        *) command=${words[i]}; break ;;
        esac
    done

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$(_zanto_commands "$zanto") --help --version" -- "$cur"))
        return
    fi

    case $prev in
    -P | --profile | --from)
        COMPREPLY=($(compgen -W "$(_zanto_profiles "$zanto")" -- "$cur"))
        return ;;
    --printer-type)
        COMPREPLY=($(compgen -W "hppcl epson ibm diablo plain user1 user2" -- "$cur"))
        return ;;
    --pitch)
        COMPREPLY=($(compgen -W "10 12 15" -- "$cur"))
        return ;;
    --wrap-rule)
        COMPREPLY=($(compgen -W "fold memo" -- "$cur"))
        return ;;
    -d | --destination | --printer | --all)
        COMPREPLY=($(compgen -W "$(lpstat -e 2>/dev/null)" -- "$cur"))
        return ;;
    --codes)
        _filedir '@(PCC|pcc)'
        return ;;
    --translation)
        _filedir '@(CTT|ctt)'
        return ;;
    --logo)
        _filedir
        return ;;
    --paper)
        COMPREPLY=($(compgen -W "fanfold fanfold12 a4 letter roll80 roll58" -- "$cur"))
        return ;;
    --language)
        COMPREPLY=($(compgen -W "$("$zanto" languages --names 2>/dev/null)" -- "$cur"))
        return ;;
    --format)
        COMPREPLY=($(compgen -W "pdf png text" -- "$cur"))
        return ;;
    --background)
        COMPREPLY=($(compgen -W "none tractor greenbar" -- "$cur"))
        return ;;
    --codepage | --charset)
        COMPREPLY=($(compgen -W "windows-1252 windows-1250 windows-1251 cp437 cp850 cp852 cp858 cp866 iso-8859-1 iso-8859-15" -- "$cur"))
        return ;;
    --port)
        COMPREPLY=($(compgen -W "LPT1 LPT2 COM1 COM2 COM3 COM4 CURRENT FILE" -- "$cur"))
        return ;;
    -o | --output | --to | --preview)
        _filedir
        return ;;
    --init | --finish | --bytes | --translate | --device | --left-offset | --line-width | \
        --lines-per-page | --line-spacing | --timeout | --wait-timeout | --from-line | --to-line | --dpi | --max-sheets | \
        --tab-stops | --text | -t | --title | -n | --copies)
        return ;;
    esac

    if [[ $cur == -* ]]; then
        local options
        options=$(_zanto_options "$zanto" "$command")
        # profiles save takes the print options as settings.
        [[ $command == profiles && ${words[i + 1]} == save ]] &&
            options+=" $(_zanto_options "$zanto" print)"
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The first word after the command, where the command takes an action.
    local actions=""
    case $command in
    profiles) actions="show save delete" ;;
    codes | translation) actions="show save" ;;
    help) actions=$(_zanto_commands "$zanto") ;;
    esac
    if [[ -n $actions && $((cword - i)) -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$actions" -- "$cur"))
        return
    fi
    if [[ $command == profiles && $((cword - i)) -eq 2 ]]; then
        COMPREPLY=($(compgen -W "$(_zanto_profiles "$zanto")" -- "$cur"))
        return
    fi
    _filedir
} &&
    complete -F _zanto zanto
