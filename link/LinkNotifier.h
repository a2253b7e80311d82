// How the link tells the user interface that its state may have changed. The reader thread calls
// it after every reply and on every loss of the link, so an implementation must only post (the
// main window posts an event and reads IsLinkUp when it handles it) and never wait.
#pragma once

namespace lumetra {

class ILinkNotifier {
public:
    virtual ~ILinkNotifier() = default;
    virtual void PostLinkStatus() = 0;
};

}  // namespace lumetra
