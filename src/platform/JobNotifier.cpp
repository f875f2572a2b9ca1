// The job notifier has no code of its own: this file gives its signals a home.
#include "platform/JobNotifier.h"
