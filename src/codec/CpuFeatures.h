// What the processor's feature bits cannot tell: whether the operating
// system saves the SSE registers on a task switch (Windows 95 does not, so
// code using them there would fault or corrupt other programs' state).
#pragma once

namespace codec {

bool OsSavesSseState();

} // namespace codec
