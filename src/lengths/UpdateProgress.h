#pragma once

#include <string>

namespace lengths {

// What the update shows while it runs: a status text and a pipeline of icons, a start piece,
// one segment per step (intact or broken) and an end piece (plain, or with the supplier's sign
// after success). The settings page implements it with its icons and repaints on every call;
// the update calls it in the order the user is meant to see.
class UpdateProgress
{
public:
    virtual ~UpdateProgress() = default;

    // Hides the segments of all steps and the signed end piece; the start piece and the plain
    // end piece stay.
    virtual void clearPipeline() = 0;
    virtual void setStatus(const std::string& text) = 0;
    // Shows segment step (1 to 4), intact or broken.
    virtual void markStep(int step, bool intact) = 0;
    // Shows the end piece with the supplier's sign over the plain one, or only the plain one.
    virtual void showEnd(bool withSign) = 0;
};

} // namespace lengths
