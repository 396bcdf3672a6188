#pragma once
// How the import panel runs the reading of a file. The reading touches nothing of
// the window, so it may run on another thread while the window goes on; what it
// found is applied on the window's own thread.

#include <functional>
#include <string>

#include "import/FieldReader.h"
#include "import/Permanence.h"

namespace kalvor {

class ImportRunner {
public:
    using Read = std::function<PermanenceRead(ReadWatch&)>;
    using Done = std::function<void(PermanenceRead)>;

    virtual ~ImportRunner() = default;
    // Runs read, then done with its result on the calling thread, at once or later.
    // path names the file to whoever shows the progress.
    virtual void run(const std::string& path, Read read, Done done) = 0;
};

// Reads at once, on the calling thread: the report and the tests.
class ImmediateRunner final : public ImportRunner {
public:
    void run(const std::string&, Read read, Done done) override {
        ReadWatch watch;
        done(read(watch));
    }
};

}  // namespace kalvor
