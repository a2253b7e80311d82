// The port choice of the system settings page, without widgets: which of COM1..COM4 is chosen,
// the connect/disconnect button, the connection of the stored port at start, and storing the port
// that connected. The button shows the link's state, and a click does what the button said when
// the operator clicked it, never what an older state would have meant. The station owns it and calls it on a
// thread of its own, since opening and closing a port may wait on the device; the page implements
// IPortSelectionView and sends its list and button events through the station.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "store/ComTable.h"

namespace lumetra {

class CDatabase;
class CTransmitterLink;

// What the page shows. Calls come from the station's port thread, so an implementation hands them
// over to its own thread.
class IPortSelectionView {
public:
    virtual ~IPortSelectionView() = default;
    virtual void SelectPortEntry(int index) = 0;  // 0 for "COM1" .. 3 for "COM4"
    virtual void SetConnectButtonText(const std::string& text) = 0;
    virtual void EnablePortList(bool enable) = 0;
    // The port did not open: `text` names the device, the reason and the fix.
    virtual void ShowOpenFailed(const std::string& text) = 0;
    // A database error with the database's own description.
    virtual void ShowDatabaseError(const std::string& description) = 0;
};

class CPortSelection {
public:
    static constexpr int kPortCount = 4;
    // The transmitter's line: fixed, never chosen.
    static constexpr uint32_t kBaudRate = 9600;
    static constexpr uint8_t kDataBits = 8;
    static constexpr const char* kConnectText = "连  接";
    static constexpr const char* kDisconnectText = "断  开";

    CPortSelection(CTransmitterLink& link, CDatabase& db, IPortSelectionView& view);
    CPortSelection(const CPortSelection&) = delete;
    CPortSelection& operator=(const CPortSelection&) = delete;

    // Reads the stored port (a missing row or a number outside 1..4 means COM1), selects it,
    // and connects it.
    void Initialise();
    // The operator confirmed list entry `index`: the link closes and the new port is chosen.
    void OnPortSelected(int index);
    // The connect button as the operator saw it: `connect` when it read kConnectText.
    void OnConnectClicked(bool connect);
    // The link's state may have changed (the main window read IsLinkUp).
    void OnLinkStatus(bool linkUp);

    int PortNumber() const;
    std::string PortName() const;  // "com3"
    bool ConnectFailed() const { return m_connectFailed; }

private:
    int ReadStoredPort();
    // What a connect leaves for the operator: the box to show once the lock is released, and its text.
    enum class ConnectOutcome { kConnected, kOpenFailed, kPortNotStored };
    struct ConnectResult {
        ConnectOutcome outcome = ConnectOutcome::kConnected;
        std::string text;
    };
    ConnectResult StorePort(int number);
    ConnectResult ConnectLocked();
    void DisconnectLocked();

    CTransmitterLink& m_link;
    CComTable m_table;
    IPortSelectionView& m_view;

    mutable std::mutex m_lock;  // guards the fields below; held for a whole step so the
                                // worker's connect and the operator's clicks never interleave,
                                // but never while a box is open
    int m_portNumber = 1;

    std::atomic<bool> m_connectFailed{false};  // from a failed connect to the next that succeeds
};

}  // namespace lumetra
