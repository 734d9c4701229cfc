# Type stubs of the package zelkova (the module's functions and types).
import os
import threading
from typing import Any, Callable, Dict, Iterable, List, Optional, Sequence, Tuple, Union

PathLike = Union[str, os.PathLike]
SequenceRecord = Union[str, Tuple[str, str], Any]  # a string, a (name, sequence) pair, a Bio.SeqRecord
Sequences = Union[PathLike, Sequence[SequenceRecord]]
MotifLike = Union["Motif", "DiscoveredMotif", Any]  # or a Bio.motifs.Motif
Motifs = Union[PathLike, Sequence[PathLike], MotifLike, Sequence[MotifLike]]
Table = Any  # a pandas.DataFrame, or a list of dicts (as_frame=False or without pandas)
ProgressCallback = Union[Callable[["Progress"], Any], bool, None]

__version__: str

class Error(RuntimeError): ...
class UsageError(Error, ValueError): ...
class Cancelled(Exception): ...

class Progress:
    @property
    def step(self) -> str: ...
    @property
    def fraction(self) -> Optional[float]: ...
    @property
    def line(self) -> str: ...
    @property
    def final(self) -> bool: ...

class Motif:
    id: str
    name: str
    def __init__(self, id: str, columns: Sequence[Sequence[float]], name: str = ..., counts: bool = ...,
                 nsites: Optional[float] = ...) -> None: ...
    @property
    def columns(self) -> List[List[float]]: ...
    @property
    def counts(self) -> bool: ...
    @property
    def nsites(self) -> Optional[float]: ...
    @property
    def source(self) -> str: ...
    @property
    def line(self) -> int: ...
    @property
    def width(self) -> int: ...
    @property
    def consensus(self) -> str: ...
    def frequencies(self) -> List[List[float]]: ...
    def count_matrix(self) -> Optional[List[List[float]]]: ...

class DiscoveredMotif:
    id: str
    rank: int
    consensus: str
    length: int
    mismatches: int
    log10_evalue: float
    beats_decoy: Optional[bool]
    primary_hits: int
    primary_total: int
    control_hits: int
    control_total: int
    best_match: Optional[str]
    motif: Motif
    matches: List[Dict[str, Any]]
    sites: Table
    summary: Dict[str, Any]
    @property
    def evalue(self) -> float: ...
    @property
    def counts(self) -> Any: ...  # numpy.ndarray of shape (positions, 4), or a list of lists
    def to_biopython(self) -> Any: ...

class DiscoveryResult:
    motifs: List[DiscoveredMotif]
    @property
    def summary(self) -> Table: ...
    @property
    def sites(self) -> Table: ...
    @property
    def known(self) -> Optional[Table]: ...
    @property
    def log(self) -> str: ...
    @property
    def warnings(self) -> List[str]: ...
    @property
    def command_line(self) -> str: ...
    def files(self) -> Dict[str, str]: ...
    def write(self, directory: PathLike, force: bool = ...) -> None: ...

def read_motifs(path: Union[PathLike, Sequence[PathLike]]) -> List[Motif]: ...
def motif_text(motifs: Union[MotifLike, Sequence[MotifLike]], format: str = ...) -> str: ...
def write_motifs(motifs: Union[MotifLike, Sequence[MotifLike]], path: PathLike, format: str = ...) -> None: ...
def to_biopython(motif: Union[Motif, DiscoveredMotif]) -> Any: ...
def from_biopython(motif: Any, id: Optional[str] = ..., name: Optional[str] = ...) -> Motif: ...

def discover(sequences: Optional[Sequences] = ..., control: Optional[Sequences] = ...,
             lengths: Union[Iterable[int], int, str, None] = ..., threads: Optional[int] = ...,
             seed: Optional[int] = ..., *,
             output: Optional[PathLike] = ..., force: bool = ..., db: Union[PathLike, Sequence[PathLike], None] = ...,
             known: bool = ..., dust: bool = ..., progress: ProgressCallback = ...,
             cancel: Optional[threading.Event] = ..., as_frame: Optional[bool] = ..., **options: Any) -> DiscoveryResult: ...

def scan(motifs: Motifs, sequences: Optional[Sequences] = ..., pvalue: Optional[float] = ..., *,
         genome: Optional[PathLike] = ..., regions: Optional[PathLike] = ..., qvalue: Optional[float] = ...,
         strand: Optional[str] = ..., bg: Optional[PathLike] = ..., pseudocount: Optional[float] = ...,
         max_sites: Optional[int] = ..., threads: Optional[int] = ..., output: Optional[PathLike] = ...,
         format: str = ..., progress: ProgressCallback = ..., cancel: Optional[threading.Event] = ...,
         as_frame: Optional[bool] = ...) -> Table: ...

def enrich(motifs: Motifs, primary: Sequences, control: Optional[Sequences] = ..., *, known: bool = ...,
           threshold: Optional[float] = ..., shuffle: Optional[int] = ..., copies: Optional[int] = ...,
           seed: Optional[int] = ..., threads: Optional[int] = ..., max_letters: Optional[int] = ...,
           sites: bool = ..., output: Optional[PathLike] = ..., progress: ProgressCallback = ...,
           cancel: Optional[threading.Event] = ..., as_frame: Optional[bool] = ...) -> Any: ...

def compare(query: Motifs, database: Optional[Motifs] = ..., *, top: Optional[int] = ...,
            evalue_max: Optional[float] = ..., min_overlap: Optional[int] = ..., output: Optional[PathLike] = ...,
            as_frame: Optional[bool] = ...) -> Table: ...
