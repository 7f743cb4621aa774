#pragma once

#include <string_view>

namespace voroquarn {

// Keeps the descriptors of standard input, output and error taken even when the program
// was started with one of them closed. Otherwise the next file or socket the program
// opens would get that number, and the sites written to standard output would go into
// it. A stream that was closed fails every read or write with "Bad file descriptor".
// Call first thing in main.
void holdStandardStreams();

// The program's standard output. Text goes out at once; the first failure is kept, since
// the C library forgets its reason once it has dropped what it could not write.
class StandardOutput {
public:
    // Writes the text and flushes it. After a failure nothing more is written.
    void write(std::string_view text);

    bool failed() const { return error_ != 0; }

    // Flushes what is left and tells whether everything written arrived. When it did
    // not, prints the one line that says why; when the reader of a pipe has gone away
    // there is nobody to tell, and it stays silent.
    bool finish();

private:
    int error_ = 0;
};

}  // namespace voroquarn
