// PF_Cmd_ARBITRARY_CALLBACK: decodes the host's request about the ArbData record and answers it.
#include "params/arb_data.h"
#include "shell/handlers.h"

namespace huewarp {

PF_Err HandleArbitraryCallback(PF_InData *in_data, PF_OutData *, PF_ParamDef *[], PF_LayerDef *,
                               PF_ArbParamsExtra *extra) {
  if (!extra) return PF_Err_BAD_CALLBACK_PARAM;
  const PF_UtilCallbacks &utils = *in_data->utils;
  const auto &u = extra->u;
  switch (extra->which_function) {
    case PF_Arbitrary_NEW_FUNC: {
      SuiteCache suites(in_data->pica_basicP);
      return NewArbData(suites, u.new_func_params.refconPV, u.new_func_params.arbPH);
    }
    case PF_Arbitrary_DISPOSE_FUNC:
      return DisposeArbData(utils, u.dispose_func_params.refconPV, u.dispose_func_params.arbH);
    case PF_Arbitrary_COPY_FUNC: {
      SuiteCache suites(in_data->pica_basicP);
      const auto &p = u.copy_func_params;
      return CopyArbData(suites, p.refconPV, p.src_arbH, p.dst_arbPH);
    }
    case PF_Arbitrary_FLAT_SIZE_FUNC:
      return ArbDataFlatSize(u.flat_size_func_params.flat_data_sizePLu);
    case PF_Arbitrary_FLATTEN_FUNC: {
      const auto &p = u.flatten_func_params;
      return FlattenArbDataHandle(utils, p.arbH, p.buf_sizeLu, p.flat_dataPV);
    }
    case PF_Arbitrary_UNFLATTEN_FUNC: {
      const auto &p = u.unflatten_func_params;
      return UnflattenArbDataHandle(utils, p.buf_sizeLu, p.flat_dataPV, p.arbPH);
    }
    case PF_Arbitrary_COMPARE_FUNC: {
      const auto &p = u.compare_func_params;
      return CompareArbData(utils, p.a_arbH, p.b_arbH, p.compareP);
    }
    case PF_Arbitrary_PRINT_SIZE_FUNC:
      return ArbDataPrintSize(u.print_size_func_params.refconPV,
                              u.print_size_func_params.print_sizePLu);
    case PF_Arbitrary_PRINT_FUNC: {
      const auto &p = u.print_func_params;
      return PrintArbData(utils, p.refconPV, p.print_flags, p.arbH, p.print_sizeLu,
                          p.print_bufferPC);
    }
    case PF_Arbitrary_SCAN_FUNC:
      return ScanArbData(u.scan_func_params.refconPV);
    default:
      // ArbData never varies in time, so interpolation has nothing to do; unknown requests
      // are answered the same way.
      return PF_Err_NONE;
  }
}

}  // namespace huewarp
