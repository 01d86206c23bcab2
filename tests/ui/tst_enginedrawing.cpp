// The choice of how the web engine draws: in software only where OpenGL is itself a software
// rasteriser, never on a graphics processor, and never against the user's own choice.
#include "EngineDrawing.h"

#include <QTest>

namespace drawing = kelvo::enginedrawing;
using Drawing = drawing::Drawing;

Q_DECLARE_METATYPE(kelvo::enginedrawing::Drawing)

namespace {

const QString Llvmpipe = QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)");
const QString Radeon = QStringLiteral("AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-18-amd64)");

} // namespace

class TestEngineDrawing final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choosesSoftwareOnlyWhereOpenGLIsSoftware_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("userBackend");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<bool>("device");
        QTest::addColumn<QString>("renderer");
        QTest::addColumn<Drawing>("expected");

        const QString x11 = QStringLiteral("xcb");
        QTest::newRow("nominal: X11 without a graphics device (a virtual display)")
            << x11 << QString() << false << false << QString() << Drawing::Software;
        QTest::newRow("nominal: X11 with a device, renderer not yet known")
            << x11 << QString() << false << true << QString() << Drawing::AskRenderer;
        QTest::newRow("nominal: llvmpipe beside a device (a virtual display on a desktop)")
            << x11 << QString() << false << true << Llvmpipe << Drawing::Software;
        QTest::newRow("nominal: Intel") << x11 << QString() << false << true
                                        << QStringLiteral("Mesa Intel(R) UHD Graphics 620 (KBL GT2)")
                                        << Drawing::OpenGL;
        QTest::newRow("nominal: NVIDIA") << x11 << QString() << false << true
                                         << QStringLiteral("NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2") << Drawing::OpenGL;
        QTest::newRow("robustness: a GPU driver that names LLVM")
            << x11 << QString() << false << true << Radeon << Drawing::OpenGL;
        QTest::newRow("robustness: a virtual machine's GPU")
            << x11 << QString() << false << true << QStringLiteral("virgl (AMD Radeon RX 580)") << Drawing::OpenGL;
        QTest::newRow("nominal: softpipe")
            << x11 << QString() << false << true << QStringLiteral("softpipe") << Drawing::Software;
        QTest::newRow("nominal: old swrast")
            << x11 << QString() << false << true << QStringLiteral("Software Rasterizer") << Drawing::Software;
        QTest::newRow("nominal: zink over a software Vulkan")
            << x11 << QString() << false << true << QStringLiteral("zink (llvmpipe (LLVM 15.0.6, 256 bits))")
            << Drawing::Software;
        QTest::newRow("nominal: software OpenGL forced by the environment")
            << x11 << QString() << true << true << QString() << Drawing::Software;
        QTest::newRow("nominal: the renderer outweighs the device files")
            << x11 << QString() << false << false << QStringLiteral("Mesa Intel(R) UHD Graphics 620 (KBL GT2)")
            << Drawing::OpenGL;
        QTest::newRow("nominal: the user chose software")
            << x11 << QStringLiteral("software") << false << true << QStringLiteral("NVIDIA GeForce GTX 1060")
            << Drawing::Software;
        QTest::newRow("nominal: the user chose the hardware backend")
            << x11 << QStringLiteral("rhi") << false << false << Llvmpipe << Drawing::OpenGL;
        QTest::newRow("robustness: Wayland without a device keeps OpenGL")
            << QStringLiteral("wayland") << QString() << false << false << QString() << Drawing::OpenGL;
        QTest::newRow("robustness: offscreen keeps OpenGL")
            << QStringLiteral("offscreen") << QString() << false << false << Llvmpipe << Drawing::OpenGL;
    }

    void choosesSoftwareOnlyWhereOpenGLIsSoftware()
    {
        QFETCH(QString, platform);
        QFETCH(QString, userBackend);
        QFETCH(bool, forced);
        QFETCH(bool, device);
        QFETCH(QString, renderer);
        QFETCH(Drawing, expected);
        drawing::Facts facts;
        facts.platform = platform;
        facts.userBackend = userBackend;
        facts.softwareGLForced = forced;
        facts.graphicsDevice = device;
        facts.renderer = renderer;
        QCOMPARE(drawing::choose(facts), expected);
    }
};

QTEST_APPLESS_MAIN(TestEngineDrawing)
#include "tst_enginedrawing.moc"
