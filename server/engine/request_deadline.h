// The whole request must arrive within this time of the accept; a
// connection still incomplete then is ended as after a failed receive.
// Portable, so that the tests can take their bounds from it.
#pragma once

constexpr int kRequestDeadlineMs = 3000;
