# bash completion for voroquarn: options, site files for --sites, pictures by their
# format for --output, and the usual sizes for --size.

_voroquarn()
{
    local cur prev words cword
    _init_completion -n = || return

    local options='--help --version --seed --sites --size --output --print-sites --fill
        --count --no-labels --no-markers --smooth --root --window-id --saver --cycle
        --linger --delay --duration --explore --window --display --geometry --visual
        --mono --install --noinstall --pair --fps --no-fps'

    local option=$prev
    if [[ $cur == -*=* ]]; then
        option=${cur%%=*}
        cur=${cur#*=}
    fi
    # xscreensaver writes the long options with one dash.
    [[ $option == -[a-z][a-z]* ]] && option=-$option

    case $option in
        --sites)
            # A site file, or - for standard input.
            _filedir
            [[ $cur == - || -z $cur ]] && COMPREPLY+=(-)
            return
            ;;
        --output)
            # The extension chooses the format, a picture or the regions as data; - writes
            # PNG to standard output.
            _filedir '@(png|svg|pdf|csv|geojson|PNG|SVG|PDF|CSV|GEOJSON)'
            return
            ;;
        --size)
            COMPREPLY=($(compgen -W '618x508 640x480 800x600 1024x768 1280x720 1920x1080
                2560x1440 3840x2160' -- "$cur"))
            return
            ;;
        --visual)
            COMPREPLY=($(compgen -W 'default best mono gray color TrueColor DirectColor
                PseudoColor StaticGray GrayScale StaticColor' -- "$cur"))
            return
            ;;
        --display)
            COMPREPLY=($(compgen -W "${DISPLAY:-:0}" -- "$cur"))
            return
            ;;
        --seed | --window-id | --linger | --delay | --count | --duration | --geometry)
            # A number of the user's own.
            return
            ;;
    esac

    if [[ $cur == -[a-z]* ]]; then
        # Begun with one dash, as xscreensaver writes them: the same with one dash.
        COMPREPLY=($(compgen -W "${options//--/-}" -- "$cur"))
    elif [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    fi
} &&
    complete -F _voroquarn voroquarn
