// LeakSanitizer's suppressions for the window tests, compiled into them.
//
// Qt Quick's software renderer keeps the textures of provider images (the card shadows) in a cache
// that it does not free when the process ends; Qt's libraries are not instrumented, so the reports
// end in Qt's own frames. Nothing of ours holds these blocks. On an X server Qt also connects to the
// session's D-Bus, whose library keeps its connection data until the process is gone.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:QSGTexture::QSGTexture\n"
           "leak:QPixmap::fromImage\n"
           "leak:QImageData::create\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
           "leak:libQt6Quick.so\n"
           "leak:libdbus-1.so\n";
}
