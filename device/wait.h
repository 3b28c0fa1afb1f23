#pragma once

class IWaitWindow;

// Shows the wait window for the length of a command: the window's status text
// follows the exchange and its cancel button stops it.
class TWait {
public:
    TWait();
    ~TWait();
    TWait(const TWait&) = delete;
    TWait& operator=(const TWait&) = delete;

private:
    IWaitWindow* Window;
    IWaitWindow* Previous;
};
