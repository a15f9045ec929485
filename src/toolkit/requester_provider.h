// The one place where something other than GTK's file chooser may answer
// the file requesters: an in-process driver, for example, that must not wait
// for a person. With no provider installed every requester is the real one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vandrel::tk {

// Called on the main thread with the requester's title, start path and
// pattern. Returns the chosen paths (empty for a cancel), or nothing to let
// the real requester show.
using RequesterProvider = std::function<std::optional<std::vector<std::string>>(
    const std::string& title, const std::string& startPath, const std::string& pattern)>;

// Replaces the provider; an empty one restores the real requesters.
// Main thread only.
void SetRequesterProvider(RequesterProvider provider);

}  // namespace vandrel::tk
