// The Russian texts the converter wizard shows for the converter's own messages. The converter states its
// refusals and failures in English, as its run log keeps them (Log.txt, the command-line tools); the
// wizard's message boxes speak Russian, so each message is put into Russian here, where it is shown.
#pragma once

#include <QString>
#include <string>

// The message in Russian: a known message with its paths and figures, and its reason put into Russian as
// well; a message that is Russian already as it is; one of no known form after a Russian lead, its own
// words kept rather than lost.
QString ShownMessage(const std::string& message);
