#include "src/component/automation/type_library.h"

#include <gtest/gtest.h>

#include <string>

#include "src/component/automation/idl_writer.h"
#include "tests/support/circle_dc_interface_table.h"

namespace ombrixdc {

namespace {

// The members' names, DISPIDs and order are those a client binds to (the client suite checks
// them through GetIDsOfNames); here the IDL written from the same description.
TEST(IdlWriter, ListsTheInterfaceFromTheDescription) {
  const std::string idl = FormatIdl(CircleDCTypeLibrary());
  const char* lines[] = {
      "    uuid(B84CFBDF-6B23-11D7-9362-005004553512),\n    version(1.0),\n    lcid(0x409),\n",
      "library CoVexa_OmbrixDCLib\n{\n",
      "uuid(B84CFBEB-6B23-11D7-9362-005004553512)",  // the dual interface
      "uuid(B84CFBED-6B23-11D7-9362-005004553512)",  // the events
      "uuid(B84CFBEC-6B23-11D7-9362-005004553512)",  // the class
      "    interface IVexa_link;  // 4C5CE8B0-E05C-11D2-998F-B11D00E72B08\n",
      "    interface IVexa_ActiveHeadStatus;  // 907EF631-F227-11D6-94B4-00105AA5652E\n",
      "        E_OMBRIX_DC_CIRCLE_REPLAYING_FAST_SCAN = 4,\n",
      "    interface IVexa_CircleDC : IDispatch\n",
      "        [id(1), helpstring(\"method PerformCircle\")] HRESULT PerformCircle();\n",
      "        [propget, id(2), helpstring(\"property Status\")] HRESULT Status([out, retval] "
      "ECircleStatus* pVal);\n",
      "        [id(13), helpstring(\"method ShowGraphics\")] HRESULT ShowGraphics([in, optional] "
      "int "
      "left, [in, optional] int top, [in, optional] int width, [in, optional] int height, [in, "
      "optional] BSTR filename);\n",
      "[out] SAFEARRAY(double)* X, ",
      "        [id(25), helpstring(\"method Initialise\")] HRESULT InitialiseObject([in] "
      "IVexa_link* "
      "link, [in] IVexa_axis_position_and_status* ps, [out, retval] long* success);\n",
      "        [propput, id(40), helpstring(\"property WindowVisible\")] HRESULT "
      "WindowVisible([in] long newVal);\n",
      "    dispinterface _IVexa_CircleDCEvents\n",
      "        [id(2), helpstring(\"method PerformCircleComplete\")] HRESULT "
      "PerformCircleComplete([in] long success);\n",
      "        [default] interface IVexa_CircleDC;\n        [default, source] dispinterface "
      "_IVexa_CircleDCEvents;\n",
  };
  for (const char* line : lines) {
    EXPECT_NE(idl.find(line), std::string::npos) << line;
  }
  // Every member appears once, in table order.
  size_t position = 0;
  for (const InterfaceRow& row : kCircleDCInterface) {
    const std::string call = std::string(" HRESULT ") + row.name + "(";
    position = idl.find(call, position);
    ASSERT_NE(position, std::string::npos) << row.row << " " << row.name;
    ++position;
  }
}

}  // namespace

}  // namespace ombrixdc
