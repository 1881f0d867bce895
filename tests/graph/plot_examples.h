// The two documented graph examples as plot records, shared by the graph tests, the desktop
// program's tests and the paint benchmark.
#pragma once

#include "worksheet/lumo_doc.h"

namespace lumo::test {

// Scatchard: one marked and one plain point, sx = sy = 0.01.
inline void FillScatchardExample(CLumoDoc& doc) {
    doc.m_nScatchard = 1;
    doc.m_nLineweaver = 0;
    doc.m_nCount = 2;
    doc.m_dX[0] = 1.0;
    doc.m_dY[0] = 2.0;
    doc.m_nMark[0] = 1;
    doc.m_dX[1] = 2.0;
    doc.m_dY[1] = 1.0;
    doc.m_nMark[1] = 0;
    doc.m_dXMax = 4.0;
    doc.m_dYMax = 4.0;
    doc.m_dXMin = 1.0;
    doc.m_dKa1 = 2.0;
    doc.m_dBmax1 = 1.0;
    doc.m_dKa2 = 0.5;
    doc.m_dBmax2 = 4.0;
}

// Lineweaver-Burk: three reciprocal points, 1/Km 184 pixels left of the origin.
inline void FillLineweaverExample(CLumoDoc& doc) {
    doc.m_nScatchard = 0;
    doc.m_nLineweaver = 1;
    doc.m_nCount = 3;
    const double x[] = {1.0, 0.5, 0.25};
    const double y[] = {2.0, 1.25, 1.0};
    for (int i = 0; i < 3; ++i) {
        doc.m_dX[i] = x[i];
        doc.m_dY[i] = y[i];
    }
    doc.m_dXMax = 1.0;
    doc.m_dYMax = 2.0;
    doc.m_dLbSlope = 19.0 / 14.0;
    doc.m_dLbIntercept = 0.625;
}

}  // namespace lumo::test
