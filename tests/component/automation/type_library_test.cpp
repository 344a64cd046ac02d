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
      "        E_OMBRIX_DC_CIRCLE_REPLAYING_FAST_SCAN = 4,\n",
      "    interface IVexa_CircleDC : IDispatch\n",
      "        [propget, id(2), helpstring(\"property Status\")] HRESULT Status([out, retval] "
      "ECircleStatus* pVal);\n",
      "HRESULT ShowGraphics([in, optional] int left, [in, optional] int top, [in, optional] int "
      "width, [in, optional] int height, [in, optional] BSTR filename);\n",
      "[out] SAFEARRAY(double)* X, ",
      "    dispinterface _IVexa_CircleDCEvents\n",
      "        [id(2), helpstring(\"method PerformCircleComplete\")] HRESULT "
      "PerformCircleComplete([in] long success);\n",
      "        [default] interface IVexa_CircleDC;\n        [default, source] dispinterface "
      "_IVexa_CircleDCEvents;\n",
  };
  for (const char* line : lines) {
    EXPECT_NE(idl.find(line), std::string::npos) << line;
  }
  // Every operation appears once, in table order.
  size_t position = 0;
  ForEachOperation([&](const InterfaceMember& member, int row, char) {
    position = idl.find(std::string(" HRESULT ") + member.name + "(", position + 1);
    EXPECT_NE(position, std::string::npos) << row << " " << member.name;
  });
}

}  // namespace

}  // namespace ombrixdc
