// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/**
 * How the process hands memory back to the system. A change makes screen-sized buffers on its own
 * thread, and glibc's allocator keeps what they leave free for later, so the idle program would hold a
 * screen or two of memory it no longer uses.
 */
class ProcessMemory
{
public:
    /** Makes every large buffer a mapping of its own, unmapped when freed; call once, first thing. */
    static void keepLargeBuffersApart();
    /** Gives the memory the allocator holds free back to the system; call when a change is over. */
    static void releaseFreeMemory();
};
