# fish completion for voroquarn: options, site files for --sites, pictures and region
# data by their format for --output, and the usual sizes for --size.

function __voroquarn_pictures
    # The extension chooses the format: folders to go on into, .png, .svg, .pdf pictures
    # and .csv, .geojson region data.
    set -l token (commandline -ct)
    string replace -r -- '^--output=' '' $token | read -l path
    for candidate in $path*
        if test -d $candidate
            printf '%s/\tfolder\n' $candidate
        else if string match -qir -- '\.(png|svg|pdf)$' $candidate
            printf '%s\t%s picture\n' $candidate (string upper (string split -r -m1 . $candidate)[-1])
        else if string match -qir -- '\.(csv|geojson)$' $candidate
            printf '%s\t%s regions\n' $candidate (string upper (string split -r -m1 . $candidate)[-1])
        end
    end
end

set -l sizes 618x508 640x480 800x600 1024x768 1280x720 1920x1080 2560x1440 3840x2160
set -l visuals default best mono gray color TrueColor DirectColor PseudoColor StaticGray GrayScale StaticColor

complete -c voroquarn -f
complete -c voroquarn -s h -l help -d 'Show the help and exit'
complete -c voroquarn -s v -l version -d 'Show the version and exit'
complete -c voroquarn -l seed -x -d 'Seed the random sites with N instead of the clock'
complete -c voroquarn -l sites -r -F -a - -d 'Take the sites from a file, - for standard input'
complete -c voroquarn -l size -x -a "$sizes" -d 'Drawing area in pixels, WxH'
complete -c voroquarn -l output -x -a '(__voroquarn_pictures)' -d 'Draw into a PNG, SVG or PDF file, or write the regions as CSV or GeoJSON, by its extension'
complete -c voroquarn -l print-sites -d 'Write the sites used to standard output'
complete -c voroquarn -l fill -d 'Fill each region with a colour of its own'
complete -c voroquarn -l count -x -d 'Place N random sites'
complete -c voroquarn -l no-labels -d 'Leave out the weight labels'
complete -c voroquarn -l no-markers -d 'Leave out the site markers'
complete -c voroquarn -l smooth -d 'Draw the boundaries antialiased'
complete -c voroquarn -l root -d 'Draw into the window xscreensaver gives, or the root window'
complete -c voroquarn -l window-id -x -d 'Draw into an existing window'
complete -c voroquarn -l saver -d 'Draw full screen until a key or a click'
complete -c voroquarn -l cycle -d 'Draw diagram after diagram in the window'
complete -c voroquarn -l linger -x -d 'Let each finished diagram stand SECONDS'
complete -c voroquarn -l delay -x -d 'Wait MICROSECONDS between two steps of the tracing'
complete -c voroquarn -l duration -x -d 'Draw each diagram in SECONDS'
complete -c voroquarn -l explore -d 'Move sites and change weights by hand, in the window'
complete -c voroquarn -l window -d 'Draw in a window of its own'
complete -c voroquarn -l display -x -d 'The X display to draw on'
complete -c voroquarn -l geometry -x -d 'The window\'s size and place, WxH+X+Y'
complete -c voroquarn -l visual -x -a "$visuals" -d 'The X visual to draw with'
complete -c voroquarn -l mono -d 'Draw in black and white'
complete -c voroquarn -l install -d 'Install a private colormap'
complete -c voroquarn -l noinstall -d 'Use the default colormap'
complete -c voroquarn -l pair -d 'Draw twice, side by side'
complete -c voroquarn -l fps -d 'Show the frame rate'
complete -c voroquarn -l no-fps -d 'Do not show the frame rate'
