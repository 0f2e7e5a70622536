#include "app/array_menu_qt.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "tools/array_window.h"

void ArrayClick(TForm1& form1) {
    if (!Form9) return;
    TForm9& form9 = *Form9;
    if (!form9.MeasureProgram)
        form9.MeasureProgram = [&form1](double& xSize, double& ySize) {
            form1.CalcScale2(form1.RichEdit1, true);
            xSize = tolva::App().extents.xSize;
            ySize = tolva::App().extents.ySize;
        };
    if (!form9.ReScale) form9.ReScale = [&form1] { form1.CalcScale2(form1.RichEdit1, false); };
    form9.show();
    form9.raise();
}
