// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace flowdesk {

// Qt wants a runtime folder of the user's own and, where the session sets
// none (a shell over ssh, a service, a container), makes one in /tmp and
// says so on the standard error at every run, which reads as a fault in a
// command's output. A program that draws off screen without a session gets
// a private one for the run instead, made as the XDG rules want it (mode
// 0700) and removed at the end; any real trouble Qt finds with it is still
// reported. Call before the application object is made.
void ensurePrivateRuntimeFolder();

}  // namespace flowdesk
