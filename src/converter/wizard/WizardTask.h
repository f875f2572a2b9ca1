// The wizard's runs are conversion jobs: one job class for the converter's background work.
#pragma once

#include "converter/ConversionJob.h"

using WizardWork = ConversionWork;
using WizardTask = ConversionJob;
