// ThreadSanitizer's suppressions for the diagnosis tests, compiled into them.
//
// QThreadPool tears down its idle worker's wait condition while that worker has just left its
// timed wait; Debian's Qt is not instrumented, so the join between them is invisible to the
// sanitizer. Only that frame is suppressed: races in our own code stay reported.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:QWaitCondition::~QWaitCondition\n";
}
