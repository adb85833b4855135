#pragma once
// Basic idea: a flag that holds for one scope. The flag is cleared when the scope ends, on an
// exception too, so a handler that fails never leaves a "busy" or "initialising" flag behind.

class TScopedFlag
{
public:
    // Sets the flag now.
    explicit TScopedFlag(bool& flag) : m_Flag(flag) { m_Flag = true; }
    // Leaves the flag as it is now; only its clearing at the end is wanted. Throws nothing.
    static TScopedFlag ClearOnExit(bool& flag) { return TScopedFlag(flag, 0); }

    TScopedFlag(const TScopedFlag&) = delete;
    TScopedFlag& operator=(const TScopedFlag&) = delete;
    ~TScopedFlag() { m_Flag = false; }

private:
    TScopedFlag(bool& flag, int) : m_Flag(flag) {}

    bool& m_Flag;
};
