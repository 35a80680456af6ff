// The boundary between the host and the plugin. The host is built with another compiler and cannot
// catch what the plugin throws: an exception leaving an export would end the game (std::terminate).
// Every export runs its body inside the boundary, which answers the export's failure result
// instead. The bodies keep their records whole on the way out (they make what they need first and
// change the records last), so a caught failure leaves nothing half changed. Out of memory
// (std::bad_alloc) is left to the boundary; a body catches it only where it has something to undo
// or to tell that the boundary cannot, and says so there.
#pragma once

template <typename Result, typename Body>
Result InsideBoundary(Result failure, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

template <typename Body>
void InsideBoundary(Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
    }
}
