# SPDX-License-Identifier: GPL-2.0-or-later
# bash completion for mirvak-cli

_mirvak_cli()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --port)
            COMPREPLY=($(compgen -W "COM{1..16}" -- "$cur"))
            compopt -o filenames
            COMPREPLY+=($(compgen -f -- "$cur"))
            return
            ;;
        --trace | -o | --output)
            _filedir
            return
            ;;
    esac

    # The command's words, skipping the global options and their values.
    local i command=()
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --port | --trace | --memory | --format | --only | -o | --output) ((i++)) ;;
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
        --only)
            COMPREPLY=($(compgen -W "phone sim phone_book messages melodies settings books" -- "${cur##*,}"))
            return
            ;;
        --format)
            if [[ ${command[0]} == sms ]]; then
                COMPREPLY=($(compgen -W "text csv mbox" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "pbk vcf csv" -- "$cur"))
            fi
            return
            ;;
    esac

    local options="--port --trace --help --version"
    case "${command[0]} ${command[1]}" in
        "phonebook read") options+=" --memory --format --output" ;;
        "phonebook write")
            options+=" --memory --dry-run --clear-others"
            if [[ $cur != -* && ${#command[@]} -eq 2 ]]; then
                _filedir '@(pbk|vcf|csv)'
                return
            fi
            ;;
        "sms send") options+=" --binary" ;;
        "sms list") options+=" --memory --format --output" ;;
        "sms delete") options+=" --memory" ;;
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
        0) COMPREPLY=($(compgen -W "ports info phonebook sms melody backup restore" -- "$cur")) ;;
        1)
            case ${command[0]} in
                phonebook) COMPREPLY=($(compgen -W "read write" -- "$cur")) ;;
                sms) COMPREPLY=($(compgen -W "send list delete" -- "$cur")) ;;
                melody) COMPREPLY=($(compgen -W "read store" -- "$cur")) ;;
            esac
            ;;
    esac
} &&
    complete -F _mirvak_cli mirvak-cli
