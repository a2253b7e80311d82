#include "audio/MediaCommand.h"

#include <strings.h>

#include <charconv>
#include <sstream>
#include <vector>

namespace lumetra {

namespace {

bool Is(const std::string& word, const char* keyword) {
    return strcasecmp(word.c_str(), keyword) == 0;
}

MediaResult Unknown(const std::string& text) {
    return {kMediaUnknownCommand, "Unknown media command \"" + text + "\"."};
}

MediaResult BadParameter(const std::string& what) {
    return {kMediaBadParameter, what};
}

MediaResult ParseFrom(const std::vector<std::string>& words, MediaCommand& command) {
    if (words.size() == 2) return {};
    if (words.size() != 4 || !Is(words[2], "from")) return BadParameter("Expected \"from\" and a position.");
    const std::string& number = words[3];
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), command.from);
    if (error != std::errc() || end != number.data() + number.size() || command.from < 0) {
        return BadParameter("The position \"" + number + "\" is not a number of 0 or more.");
    }
    command.hasFrom = true;
    return {};
}

MediaResult ParseTimeFormat(const std::vector<std::string>& words, MediaCommand& command) {
    if (words.size() != 5 || !Is(words[2], "time") || !Is(words[3], "format")) {
        return BadParameter("Expected \"time format\" and a unit.");
    }
    if (Is(words[4], "frames")) {
        command.frames = true;
    } else if (Is(words[4], "milliseconds") || Is(words[4], "ms")) {
        command.frames = false;
    } else {
        return BadParameter("Unknown time format \"" + words[4] + "\".");
    }
    return {};
}

MediaResult ParseStatus(const std::vector<std::string>& words, MediaCommand& command) {
    if (words.size() == 3 && Is(words[2], "length")) {
        command.item = MediaStatusItem::kLength;
    } else if (words.size() == 3 && Is(words[2], "position")) {
        command.item = MediaStatusItem::kPosition;
    } else if (words.size() == 3 && Is(words[2], "mode")) {
        command.item = MediaStatusItem::kMode;
    } else if (words.size() == 4 && Is(words[2], "frame") && Is(words[3], "rate")) {
        command.item = MediaStatusItem::kFrameRate;
    } else {
        return BadParameter("Unknown status item.");
    }
    return {};
}

}  // namespace

MediaResult ParseMediaCommand(const std::string& text, MediaCommand& command) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    if (words.size() < 2) return Unknown(text);

    command = MediaCommand{};
    command.alias = words[1];
    const std::string& verb = words[0];
    if (Is(verb, "play")) {
        command.verb = MediaVerb::kPlay;
        return ParseFrom(words, command);
    }
    if (Is(verb, "set")) {
        command.verb = MediaVerb::kSetTimeFormat;
        return ParseTimeFormat(words, command);
    }
    if (Is(verb, "status")) {
        command.verb = MediaVerb::kStatus;
        return ParseStatus(words, command);
    }
    if (Is(verb, "seek")) {
        command.verb = MediaVerb::kSeekToStart;
        if (words.size() == 4 && Is(words[2], "to") && Is(words[3], "start")) return {};
        return BadParameter("Only \"seek ALIAS to start\" is understood.");
    }
    static const std::pair<const char*, MediaVerb> kPlain[] = {{"stop", MediaVerb::kStop},
                                                               {"pause", MediaVerb::kPause},
                                                               {"resume", MediaVerb::kResume},
                                                               {"close", MediaVerb::kClose}};
    for (const auto& [keyword, plainVerb] : kPlain) {
        if (!Is(verb, keyword)) continue;
        command.verb = plainVerb;
        if (words.size() != 2) return BadParameter("\"" + verb + "\" takes only the alias.");
        return {};
    }
    return Unknown(text);
}

}  // namespace lumetra
