// The results window's announcements.
#include "measurement/ResultsEvents.h"

ResultsEvents& ResultsEvents::instance() {
    static ResultsEvents events;
    return events;
}
