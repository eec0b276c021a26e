# SPDX-License-Identifier: GPL-2.0-or-later
# bash completion for mirvak-cli

_mirvak_cli()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --port)
            # The COM names, the serial devices (by their stable names too),
            # and any path typed.
            local d devices=()
            for d in /dev/tty* /dev/serial/by-id/*; do
                [[ -e $d ]] && devices+=("$d")
            done
            COMPREPLY=($(compgen -W "COM{1..16}" -- "$cur"))
            COMPREPLY+=($(compgen -W "${devices[*]}" -- "$cur"))
            if [[ $cur == */* ]]; then
                compopt -o filenames
                COMPREPLY+=($(compgen -f -- "$cur"))
            fi
            return
            ;;
        --trace | -o | --output | --archive | --pin-file)
            _filedir
            return
            ;;
        --with | --search)
            return
            ;;
    esac

    # The command's words, skipping the global options and their values.
    local i command=()
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --port | --trace | --archive | --pin-file | --memory | --format | --list | --only | -o | --output | --with | --search) ((i++)) ;;
            -*) ;;
            *) command+=("${words[i]}") ;;
        esac
    done

    # The values of --memory and --format depend on the command.
    case $prev in
        --memory)
            if [[ "${command[0]} ${command[1]}" == "sms list" ]]; then
                COMPREPLY=($(compgen -W "SM ME both" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "SM ME" -- "$cur"))
            fi
            return
            ;;
        --list)
            COMPREPLY=($(compgen -W "dialled missed received own fixed emergency" -- "$cur"))
            return
            ;;
        --only)
            COMPREPLY=($(compgen -W "phone sim phone_book messages melodies settings books" -- "${cur##*,}"))
            return
            ;;
        --format)
            if [[ ${command[0]} == status ]]; then
                COMPREPLY=($(compgen -W "text json" -- "$cur"))
            elif [[ ${command[0]} == calls ]]; then
                COMPREPLY=($(compgen -W "text csv" -- "$cur"))
            elif [[ ${command[0]} == sms ]]; then
                COMPREPLY=($(compgen -W "text csv mbox" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "pbk vcf csv" -- "$cur"))
            fi
            return
            ;;
    esac

    local options="--port --trace --archive --pin-file --help --version"
    case "${command[0]} ${command[1]}" in
        "phonebook read") options+=" --memory --format --output -o" ;;
        "phonebook write")
            options+=" --memory --dry-run --clear-others"
            if [[ $cur != -* && ${#command[@]} -eq 2 ]]; then
                _filedir '@(pbk|vcf|csv)'
                return
            fi
            ;;
        "sms send") options+=" --binary --dry-run" ;;
        "sms list") options+=" --memory --format --output -o --unread" ;;
        "sms archive") options+=" --with --search --format --output -o" ;;
        "sms fetch") options+=" --format --output -o" ;;
        "sms get") options+=" --memory --format --output -o" ;;
        "sms delete") options+=" --memory" ;;
        "status "*) options+=" --format" ;;
        "calls "*) options+=" --list --format" ;;
        "backup "*) options+=" --output --only" ;;
        "restore "*)
            options+=" --only --replace --dry-run --force"
            if [[ $cur != -* && ${#command[@]} -eq 1 ]]; then
                _filedir json
                return
            fi
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case ${#command[@]} in
        0) COMPREPLY=($(compgen -W "help ports info capabilities phonebook sms melody status calls dial hangup backup restore" -- "$cur")) ;;
        1)
            case ${command[0]} in
                help) COMPREPLY=($(compgen -W "ports info capabilities phonebook sms melody status calls dial hangup" -- "$cur")) ;;
                phonebook) COMPREPLY=($(compgen -W "read write" -- "$cur")) ;;
                sms) COMPREPLY=($(compgen -W "send list get delete archive fetch" -- "$cur")) ;;
                melody) COMPREPLY=($(compgen -W "read store" -- "$cur")) ;;
            esac
            ;;
        2)
            case "${command[0]} ${command[1]}" in
                "help phonebook") COMPREPLY=($(compgen -W "read write" -- "$cur")) ;;
                "help sms") COMPREPLY=($(compgen -W "send list get delete archive fetch" -- "$cur")) ;;
                "help melody") COMPREPLY=($(compgen -W "read store" -- "$cur")) ;;
            esac
            ;;
    esac
} &&
    complete -F _mirvak_cli mirvak-cli
