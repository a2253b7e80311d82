// A media control that answers from a script and records what it was sent, for the player's own
// arithmetic and command order (zero-length answers, failing queries) that a real file cannot
// be made to give on demand.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "audio/MediaControl.h"

namespace lumetra::test {

class CScriptedMediaControl : public IMediaControl {
public:
    MediaResult Open(const MediaOpenRequest& request) override {
        opens.push_back(request);
        if (openResults.empty()) return {};
        MediaResult result = openResults.front();
        openResults.pop_front();
        return result;
    }
    MediaResult Send(const std::string& command) override {
        sent.push_back(command);
        const auto found = replies.find(command);
        return found == replies.end() ? MediaResult{} : found->second;
    }

    std::deque<MediaResult> openResults;         // one per open; success once used up
    std::map<std::string, MediaResult> replies;  // by command; success with no text otherwise
    std::vector<MediaOpenRequest> opens;
    std::vector<std::string> sent;
};

}  // namespace lumetra::test
